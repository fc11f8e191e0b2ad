#include "propedit.h"

#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/propfileresult.h>
#include <kestrum/util/cversion.h>

#include <QMessageBox>
#include <QMetaObject>

#include <cstdio>
#include <limits>

namespace kestrum::propedit {

namespace {

constexpr int kGerman = 1;
constexpr int kMaxChars = 65535;
constexpr std::size_t kFontBlobSize = 60;

// The tool's own texts, English and German (UTF-8).
struct Texts {
    const char* intHelp;
    const char* floatHelp;
    const char* stringHelp;
    const char* boolHelp;
    const char* fontHelp;
    const char* cannotRead;
    const char* cannotSave;
};

constexpr Texts kEnglish{
    "A whole number (int).",
    "A floating-point number (float).",
    "A text of up to 65535 characters (string).",
    "Yes or no (bool).",
    "A font, stored as a 60-byte font description (blob).",
    "Cannot read %1: %2\nThe file is left as it is.",
    "Cannot save %1: %2",
};

constexpr Texts kGermanTexts{
    "Eine ganze Zahl (int).",
    "Eine Gleitkommazahl (float).",
    "Ein Text mit bis zu 65535 Zeichen (string).",
    "Ja oder Nein (bool).",
    "Eine Schriftart, gespeichert als 60 Byte lange Schriftbeschreibung (blob).",
    "%1 kann nicht gelesen werden: %2\nDie Datei bleibt unver\xC3\xA4ndert.",
    "%1 kann nicht gespeichert werden: %2",
};

const Texts& TextsFor(int language) {
    return language == kGerman ? kGermanTexts : kEnglish;
}

std::string Message(const char* format, const std::string& file, const std::string& error) {
    return QString::fromUtf8(format)
        .arg(QString::fromStdString(file), QString::fromStdString(error))
        .toStdString();
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void DescribeSet(CDefSetDlg& dialog, std::string_view section, const CPropSet& set,
                 const Texts& texts) {
    for (const auto& [key, value] : set.GetValues()) {
        switch (value->m_nType) {
        case kPropInt:
            dialog.SetIntRange(section, key, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max(), texts.intHelp);
            break;
        case kPropFloat:
            dialog.SetFloatRange(section, key, std::numeric_limits<float>::lowest(),
                                 std::numeric_limits<float>::max(), texts.floatHelp);
            break;
        case kPropString:
            dialog.SetStringRange(section, key, kMaxChars, texts.stringHelp);
            break;
        case kPropBool:
            dialog.SetBool(section, key, texts.boolHelp);
            break;
        case kPropBlob:
            if (set.GetBlobSize(key) == kFontBlobSize) {
                dialog.SetBlobFont(section, key, texts.fontHelp);
            }
            break;
        default:
            break;
        }
    }
}

void ShowError(QWidget* parent, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kestrum-propedit"),
                    QString::fromStdString(message), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("propeditError"));
    box.exec();
}

} // namespace

const char* const kUsage =
    "Usage: kestrum-propedit FILE [--lang en|de] [--section SECTION] [--key KEY]\n";

std::variant<Options, std::string> ParseArguments(const QStringList& arguments) {
    Options options;
    bool haveFile = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool takesValue =
            argument == "--lang" || argument == "--section" || argument == "--key";
        if (takesValue && i + 1 >= arguments.size()) {
            return argument.toStdString() + " needs a value";
        }
        if (argument == "--lang") {
            const QString language = arguments[++i];
            if (language != "en" && language != "de") {
                return "unknown language: " + language.toStdString();
            }
            options.language = language == "de" ? kGerman : 0;
        } else if (argument == "--section") {
            options.section = arguments[++i].toStdString();
        } else if (argument == "--key") {
            options.key = arguments[++i].toStdString();
        } else if (argument.startsWith("--") || haveFile) {
            return "unexpected argument: " + argument.toStdString();
        } else {
            options.file = argument.toStdString();
            haveFile = true;
        }
    }
    if (!haveFile) {
        return "FILE is missing";
    }
    return options;
}

std::optional<std::string> Load(CDefSetDlg& dialog, const std::string& file, int language) {
    const Texts& texts = TextsFor(language);
    try {
        if (const PropFileResult result = dialog.m_PropDb.LoadWithReason(file); !result) {
            return Message(texts.cannotRead, file, result.message);
        }
    } catch (const CArchiveException& error) {
        return Message(texts.cannotRead, file, error.what());
    }
    return std::nullopt;
}

void Describe(CDefSetDlg& dialog, const std::string& file, int language) {
    dialog.SetLanguage(language);
    dialog.SetDlgTitle("Settings - " + FileName(file));
    dialog.SetRootText(FileName(file));
    const Texts& texts = TextsFor(language);
    DescribeSet(dialog, {}, dialog.m_PropDb.GetDefaultSet(), texts);
    for (const auto& [name, set] : dialog.m_PropDb.GetSections()) {
        DescribeSet(dialog, name, *set, texts);
    }
}

std::optional<std::string> Save(CDefSetDlg& dialog, const std::string& file, int language) {
    const Texts& texts = TextsFor(language);
    try {
        if (const PropFileResult result = dialog.m_PropDb.SaveWithReason(file); !result) {
            return Message(texts.cannotSave, file, result.message);
        }
    } catch (const CArchiveException& error) {
        return Message(texts.cannotSave, file, error.what());
    }
    return std::nullopt;
}

int Run(CDefSetDlg& dialog, const Options& options) {
    if (!options.key.empty()) {
        // Once the dialog is open: before, its tree is not built yet.
        QMetaObject::invokeMethod(
            &dialog, [&dialog, &options] { dialog.SelectKey(options.section, options.key); },
            Qt::QueuedConnection);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return 0;
    }
    if (const auto error = Save(dialog, options.file, options.language)) {
        ShowError(&dialog, *error);
        return 1;
    }
    return 0;
}

int Edit(CDefSetDlg& dialog, const Options& options, const DescribeMore& describeMore) {
    if (const auto error = Load(dialog, options.file, options.language)) {
        ShowError(dialog.parentWidget(), *error);
        return 1;
    }
    Describe(dialog, options.file, options.language);
    if (describeMore) {
        describeMore(dialog);
    }
    return Run(dialog, options);
}

int Main(const QStringList& arguments, const DescribeMore& describeMore) {
    if (arguments == QStringList{"--version"}) {
        CVersion version;
        version.Init();
        std::printf("kestrum-propedit %s\n", version.GetVersion().c_str());
        return 0;
    }
    if (arguments == QStringList{"--help"}) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto parsed = ParseArguments(arguments);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "kestrum-propedit: %s\n%s", error->c_str(), kUsage);
        return 2;
    }
    CDefSetDlg dialog;
    return Edit(dialog, std::get<Options>(parsed), describeMore);
}

} // namespace kestrum::propedit
