#include "cprocessdlg.h"

#include "model/storedkeys.h"
#include "output/outputformat.h"
#include "render/looksettings.h"

#include "input/subtitleinput.h"
#include "messages.h"
#include "model/texts.h"
#include "output/imagename.h"
#include "run/generationrun.h"

#include <kestrum-gui/displaytext.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/util/cstringhelper.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <sys/stat.h>

namespace orvo {

namespace {

constexpr int kPathWidth = 320;
constexpr int kHeaderLines = 5;
const char* const kListFilters[] = {"Text file (.txt) (*.txt)",
                                    "Subtitle files (*.txt *.srt *.vtt *.ass *.ssa *.sub)",
                                    "All files (*)"};
// Reader warnings beyond these are counted, not listed: a message box must fit the screen.
constexpr std::size_t kShownWarnings = 20;
const char* const kConfigurationQuestion = "Configuration file found!\r\n\r\nOverwrite settings?";

// The bytes for what an edit shows: the stored bytes when the user left the text as it was
// shown (so an unchanged value keeps its encoding and line ends), otherwise the text with
// CR LF line ends, encoded like the value it replaces.
std::string StoredText(const QString& text, const std::string& shown) {
    if (text == DisplayText(shown)) {
        return shown;
    }
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return kestrum::EncodeLike(lines, shown);
}

// File names go to the file system as its bytes.
std::string PathBytes(const QString& text, const std::string& shown) {
    if (text == QFile::decodeName(shown.c_str())) {
        return shown;
    }
    return QFile::encodeName(text).toStdString();
}

// Only a regular file can be a configuration file: opening a named pipe to find out would wait
// for a writer for ever, and a folder is nothing to offer.
bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string CannotReadConfiguration(const std::string& path, const std::string& error) {
    return "The configuration file " + path + " cannot be read:\r\n" + error +
           "\r\n\r\nThe settings stay as they were.";
}

} // namespace

CProcessDlg::CProcessDlg(kestrum::CPropDb& db, SubtitleStore& store, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
    , m_store(store)
    , m_strName(texts::kDefaultImageName)
    , m_shownName(texts::kDefaultImageName) {
    setWindowTitle(QStringLiteral("Process Subtitle File"));
    CreateControls();
    PlaceControls();
    m_startIndex->setText(QString::fromStdString(m_strStartIndex));
    m_name->setText(DisplayText(m_strName));
    m_shownHeader = m_db.ReadPropString("", keys::kHeader, texts::kDefaultHeader, true);
    m_header->setPlainText(DisplayText(m_shownHeader));
    ShowFrameRate(m_db.ReadPropString("", keys::kFrameRate, std::string(), false));
    ShowOutputType(ReadOutputType(m_db));
    connect(m_outputType, &QComboBox::currentIndexChanged, this, &CProcessDlg::EnableOutputFields);
    connect(m_outputType, &QComboBox::currentIndexChanged, this, &CProcessDlg::ShowDefaultName);
    connect(m_name, &QLineEdit::textEdited, this, [this] { m_defaultName = false; });
    connect(m_load, &QPushButton::clicked, this, &CProcessDlg::OnLoad);
    connect(m_frameRate, &QComboBox::currentIndexChanged, this, &CProcessDlg::OnFrameRateChanged);
    connect(m_start, &QPushButton::clicked, this, &CProcessDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CProcessDlg::reject);
}

void CProcessDlg::CreateControls() {
    m_inputFile = Named(new QLineEdit(this), "inputFileEdit", "Path to import file.");
    m_load = Named(new QPushButton(QStringLiteral("&Load..."), this), "loadButton",
                   "Search for import file.");
    m_startIndex = Named(new QLineEdit(this), "startIndexEdit", "Start index for bitmaps.");
    m_startIndex->setMaxLength(kMaxStartIndexDigits);
    m_startIndex->setAlignment(Qt::AlignRight);
    m_startIndex->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kMaxStartIndexDigits)), m_startIndex));
    m_outputType = Named(new QComboBox(this), "outputTypeCombo", "Export format.");
    for (const OutputFormat* format : OutputFormats()) {
        m_outputType->addItem(
            QString::fromUtf8(format->label.data(), static_cast<qsizetype>(format->label.size())),
            static_cast<int>(format->type));
    }
    m_frameRate = Named(new QComboBox(this), "frameRateCombo", "Frame rate of the timecodes.");
    for (const FrameRate& rate : FrameRates()) {
        m_frameRate->addItem(QString::fromLatin1(rate.name));
    }
    m_forced = Named(new QCheckBox(QStringLiteral("&Forced subtitles"), this), "forcedCheck",
                     "Shows every subtitle even where the player's subtitles are off.");
    m_name = Named(new QLineEdit(this), "nameEdit", "Name for generated bitmaps.");
    m_header = Named(new QPlainTextEdit(this), "headerEdit", "Script file header.");
    m_header->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on as everywhere in a dialog; Ctrl+Tab types the tab that script lines need.
    m_header->setTabChangesFocus(true);
    m_header->installEventFilter(this);
    m_inputFile->installEventFilter(this);
    m_status = Named(new QLabel(this), "statusLine");
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setTextFormat(Qt::PlainText);
    m_start = Named(new QPushButton(QStringLiteral("Start"), this), "startButton");
    m_start->setDefault(true);
    m_start->setEnabled(false);
    m_cancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "cancelButton");
}

void CProcessDlg::PlaceControls() {
    m_inputFile->setMinimumWidth(kPathWidth);
    m_header->setFixedHeight(m_header->fontMetrics().lineSpacing() * kHeaderLines +
                             2 * m_header->frameWidth() +
                             static_cast<int>(2 * m_header->document()->documentMargin()));
    m_startIndex->setFixedWidth(m_startIndex->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                                (kMaxStartIndexDigits + 4));

    auto* output = Named(new QGroupBox(QStringLiteral("Output"), this), "outputGroup");
    auto* outputLayout = new QGridLayout(output);
    outputLayout->addWidget(new QLabel(QStringLiteral("Output type:"), output), 0, 0);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(m_outputType);
    typeRow->addSpacing(m_outputType->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    typeRow->addWidget(new QLabel(QStringLiteral("Frame rate:"), output));
    typeRow->addWidget(m_frameRate);
    typeRow->addStretch(1);
    outputLayout->addLayout(typeRow, 0, 1);
    outputLayout->addWidget(new QLabel(QStringLiteral("Start index:"), output), 0, 2,
                            Qt::AlignRight);
    outputLayout->addWidget(m_startIndex, 0, 3);
    outputLayout->addWidget(m_forced, 1, 1, 1, 3);
    m_nameLabel = new QLabel(QStringLiteral("Name:"), output);
    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    outputLayout->addWidget(m_nameLabel, 2, 0);
    outputLayout->addWidget(m_name, 2, 1, 1, 3);
    m_headerLabel = new QLabel(QStringLiteral("Header:"), output);
    m_headerLabel->setObjectName(QStringLiteral("headerLabel"));
    outputLayout->addWidget(m_headerLabel, 3, 0, Qt::AlignTop);
    outputLayout->addWidget(m_header, 3, 1, 1, 3);
    outputLayout->setColumnStretch(1, 1);

    auto* input = new QHBoxLayout;
    input->addWidget(new QLabel(QStringLiteral("Input file:"), this));
    input->addWidget(m_inputFile, 1);
    input->addWidget(m_load);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(input);
    layout->addWidget(output);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_inputFile, m_load);
    setTabOrder(m_load, m_outputType);
    setTabOrder(m_outputType, m_frameRate);
    setTabOrder(m_frameRate, m_startIndex);
    setTabOrder(m_startIndex, m_forced);
    setTabOrder(m_forced, m_name);
    setTabOrder(m_name, m_header);
    setTabOrder(m_header, m_start);
    setTabOrder(m_start, m_cancel);
}

int CProcessDlg::GetStartIndex() const {
    int value = 0;
    const char* end = m_strStartIndex.data() + m_strStartIndex.size();
    std::from_chars(m_strStartIndex.data(), end, value);
    return value;
}

bool CProcessDlg::LoadSubtitleList(const std::string& path) {
    const ListLoadResult result = LoadSubtitleFile(path, GetFrameRate(), m_store);
    m_loadFailure = result.reason;
    switch (result.status) {
    case ListLoadResult::Status::Loaded:
        m_loadedStatus = LoadedStatusText(result, m_store.size());
        m_loadedKind = result.kind;
        m_loadedWarnings = static_cast<int>(result.warnings.size());
        ShowReaderWarnings(path, result.warnings);
        return true;
    case ListLoadResult::Status::CannotOpen:
    case ListLoadResult::Status::NotSubtitleFile:
    case ListLoadResult::Status::Damaged:
        return false;
    case ListLoadResult::Status::InvalidLine:
        ShowMessage(this, QMessageBox::Critical, WithReason(result.message, result.reason));
        m_errorShown = true;
        return false;
    }
    return false;
}

void CProcessDlg::CheckListConfiguration(const std::string& cfgPath) {
    if (!IsRegularFile(cfgPath) || !AskYesNo(this, kConfigurationQuestion)) {
        return;
    }
    // Read on the side: a damaged file then leaves the settings as they were, instead of the
    // part read before the damage, and a file changed between two reads cannot slip in.
    try {
        kestrum::CPropDb loaded;
        const kestrum::PropFileResult result = loaded.LoadWithReason(cfgPath);
        if (!result) {
            ShowMessage(this, QMessageBox::Warning,
                        CannotReadConfiguration(cfgPath, result.message));
            return;
        }
        m_db.Swap(loaded);
    } catch (const kestrum::CArchiveException& error) {
        ShowMessage(this, QMessageBox::Warning, CannotReadConfiguration(cfgPath, error.what()));
        return;
    }
    ShowStoredRunKeys();
}

// After a list configuration file: what it holds, or empty fields and 1.
void CProcessDlg::ShowStoredRunKeys() {
    m_shownHeader = m_db.ReadPropString("", keys::kHeader, std::string(), true);
    m_header->setPlainText(DisplayText(m_shownHeader));
    m_shownName = m_db.ReadPropString("", keys::kImgName, std::string(), true);
    m_name->setText(DisplayText(m_shownName));
    m_defaultName = false;
    // A number from elsewhere must not be cut to the digits the field takes.
    const int startIndex =
        std::clamp(m_db.ReadPropInt("", keys::kStartIndex, 1, true), 0, kMaxStartIndex);
    m_startIndex->setText(QString::number(startIndex));
    // A list configuration file keeps the rate its list was run at; the file's own times then
    // follow it.
    const std::string rate = m_db.ReadPropString("", keys::kFrameRate, std::string(), false);
    if (FindFrameRate(rate) && rate != GetFrameRate().name) {
        ShowFrameRate(rate);
        OnFrameRateChanged();
    }
    ShowOutputType(ReadOutputType(m_db));
}

OutputType CProcessDlg::GetOutputType() const {
    return static_cast<OutputType>(m_outputType->currentData().toInt());
}

RunParameters CProcessDlg::GetRunParameters() const {
    const OutputType type = GetOutputType();
    RunParameters parameters{m_strInputFile, m_strName, GetStartIndex(), GetFrameRate(), type};
    parameters.forced = m_forced->isChecked() && FormatOf(type).canForce;
    parameters.readerWarnings = m_loadedWarnings;
    return parameters;
}

void CProcessDlg::ShowOutputType(OutputType type) {
    m_outputType->setCurrentIndex(m_outputType->findData(static_cast<int>(type)));
    EnableOutputFields();
}

// Only a type with a script file has a header to edit, only one with image files a name, and
// only one that can mark its subtitles forced the forced box.
void CProcessDlg::EnableOutputFields() {
    const OutputFormat& format = FormatOf(GetOutputType());
    m_forced->setEnabled(format.canForce);
    m_header->setEnabled(format.needsHeader);
    m_headerLabel->setEnabled(format.needsHeader);
    m_name->setEnabled(format.WritesImageFiles());
    m_nameLabel->setEnabled(format.WritesImageFiles());
}

// Until the user types a name or a list configuration file brings one, the name is the default
// of the output type and the list loaded.
void CProcessDlg::ShowDefaultName() {
    if (!m_defaultName) {
        return;
    }
    m_shownName = DefaultImageName(GetOutputType(), m_loadedPath);
    m_name->setText(DisplayText(m_shownName));
}

bool CProcessDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_header && type == QEvent::KeyPress && key->key() == Qt::Key_Tab &&
        key->modifiers() == Qt::ControlModifier) {
        m_header->insertPlainText(QStringLiteral("\t"));
        return true;
    }
    if (watched == m_inputFile && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        // Enter held down loads once: its repeats would press Start with the list just loaded.
        const bool repeat = m_pathEnter.IsRepeat(type, *key);
        if (type == QEvent::KeyPress) {
            if (!repeat) {
                OnEnterInPath();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Enter in the path loads what was typed, where the dialog would press Start with the list
// loaded before; once the path names the list loaded, Enter is the dialog's again.
void CProcessDlg::OnEnterInPath() {
    if (m_inputFile->text().isEmpty()) {
        return;
    }
    const std::string path = TypedPath();
    if (path == m_loadedPath && m_start->isEnabled()) {
        m_start->click();
        return;
    }
    OpenList(path);
}

void CProcessDlg::accept() {
    // The outputs are placed by the path in the field: they must belong to the list drawn.
    const std::string path = TypedPath();
    if ((m_loadedPath.empty() || path != m_loadedPath) && !OpenList(path)) {
        return;
    }
    const std::string name = StoredText(m_name->text(), m_shownName);
    if (FormatOf(GetOutputType()).WritesImageFiles() && !IsNameAccepted(name)) {
        return;
    }
    m_db.WritePropString("", keys::kHeader, StoredText(m_header->toPlainText(), m_shownHeader));
    m_strStartIndex = m_startIndex->text().toStdString();
    m_strName = name;
    m_strInputFile = m_loadedPath;
    QDialog::accept();
}

bool CProcessDlg::IsNameAccepted(const std::string& name) {
    const std::optional<std::string> problem = ImageNameProblem(name);
    if (!problem) {
        return true;
    }
    ShowMessage(this, QMessageBox::Warning, ImageNameRefusal(name, *problem));
    m_name->setFocus();
    m_name->selectAll();
    return false;
}

std::string CProcessDlg::TypedPath() const {
    const std::string path = PathBytes(m_inputFile->text(), m_loadedPath);
    if (path.empty()) {
        return path;
    }
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.string();
}

void CProcessDlg::OnLoad() {
    const std::string path = ChooseListFile();
    if (!path.empty()) {
        OpenList(path);
    }
}

bool CProcessDlg::OpenList(const std::string& path) {
    m_errorShown = false;
    m_shownWarnings.clear();
    if (LoadSubtitleList(path)) {
        ShowLoadedList(path);
        return true;
    }
    ShowLoadFailure();
    return false;
}

void CProcessDlg::ShowLoadFailure() {
    if (!m_errorShown) {
        ShowMessage(this, QMessageBox::NoIcon, WithReason(texts::kErrorReadingFile, m_loadFailure));
    }
    // The list in the store, if any, is no longer the one the field names.
    m_loadedPath.clear();
    m_loadedKind.clear();
    m_start->setEnabled(false);
    m_status->setText(QString::fromLatin1(texts::kNoFileLoaded));
}

std::string CProcessDlg::ChooseListFile() {
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const char* filter : kListFilters) {
        filters << QString::fromLatin1(filter);
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (!m_strInputFile.empty()) {
        const QFileInfo last(QFile::decodeName(m_strInputFile.c_str()));
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

void CProcessDlg::ShowLoadedList(const std::string& path) {
    m_loadedPath = path;
    m_inputFile->setText(QFile::decodeName(path.c_str()));
    m_start->setEnabled(true);
    ShowDefaultName();
    kestrum::CStringHelper helper;
    CheckListConfiguration(helper.ChangeFileExtension(path, "cfg"));
    // The configuration's rate may have read the file again, and that read may have failed.
    if (!m_loadedPath.empty()) {
        m_status->setText(QString::fromStdString(m_loadedStatus));
    }
}

FrameRate CProcessDlg::GetFrameRate() const {
    return FindFrameRate(m_frameRate->currentText().toStdString()).value_or(DefaultFrameRate(true));
}

void CProcessDlg::ShowFrameRate(const std::string& name) {
    const QSignalBlocker quiet(m_frameRate);
    m_frameRate->setCurrentText(
        QString::fromLatin1(StoredFrameRate(name, ReadStoredPal(m_db, false)).name));
}

// A subtitle file's times were turned into timecodes at the rate it was loaded at: another
// rate reads it again, so that the store never holds the timecodes of a rate not shown. A
// list keeps its times as they are.
void CProcessDlg::OnFrameRateChanged() {
    if (m_loadedPath.empty() || m_loadedKind.empty()) {
        return;
    }
    m_errorShown = false;
    if (LoadSubtitleList(m_loadedPath)) {
        m_status->setText(QString::fromStdString(m_loadedStatus));
        return;
    }
    ShowLoadFailure();
}

// A file read again at another rate (the box's, or a list configuration file's during the
// load) mostly gets the warnings shown already: they come once per load.
void CProcessDlg::ShowReaderWarnings(const std::string& path,
                                     const std::vector<std::string>& warnings) {
    if (warnings.empty() || warnings == m_shownWarnings) {
        return;
    }
    m_shownWarnings = warnings;
    std::string text = path + ": the reader got past this:\r\n";
    for (std::size_t index = 0; index < std::min(warnings.size(), kShownWarnings); ++index) {
        text += "\r\n" + warnings[index];
    }
    if (warnings.size() > kShownWarnings) {
        text += "\r\n... and " + std::to_string(warnings.size() - kShownWarnings) + " more";
    }
    ShowMessage(this, QMessageBox::Warning, text);
}

} // namespace orvo
