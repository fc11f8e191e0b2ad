// kestrum-gallery: every custom control of Kestrum in one window, to try them and to take
// screenshots of them.

#include <kestrum-widgets/controls/cbitmaplist.h>
#include <kestrum-widgets/controls/cexcombo.h>
#include <kestrum-widgets/controls/cstatusbutton.h>
#include <kestrum-widgets/controls/csymdisplay.h>
#include <kestrum-widgets/pathtree/cpathtree.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace {

using kestrum::CBitmapList;
using kestrum::CExCombo;
using kestrum::CStatusButton;
using kestrum::CSymDisplay;

QGroupBox* Group(const QString& title, QLayout* layout) {
    auto* group = new QGroupBox(title);
    group->setLayout(layout);
    return group;
}

QLabel* Caption(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

CExCombo* StatesCombo() {
    auto* combo = new CExCombo;
    combo->setObjectName("statesCombo");
    combo->addItems({"Normal item", "Disabled item", "Bold item", "Disabled and bold",
                     "Another normal item", "Disabled again", "Last item"});
    combo->EnableItem(1, false);
    combo->SetItemBold(2, true);
    combo->EnableItem(3, false);
    combo->SetItemBold(3, true);
    combo->EnableItem(5, false);
    return combo;
}

CExCombo* ColoursCombo() {
    struct Item {
        const char* text;
        QColor background;
        QColor foreground;
    };
    const Item items[] = {{"Yellow on blue", QColor(0, 0, 160), QColor(255, 255, 0)},
                          {"White on red", QColor(192, 0, 0), QColor(255, 255, 255)},
                          {"Black on green", QColor(0, 192, 0), QColor(0, 0, 0)},
                          {"Blue on cyan", QColor(0, 255, 255), QColor(0, 0, 160)}};
    auto* combo = new CExCombo;
    combo->setObjectName("coloursCombo");
    for (const Item& item : items) {
        combo->addItem(item.text);
        combo->SetItemBkColor(combo->count() - 1, item.background);
        combo->SetItemTextColor(combo->count() - 1, item.foreground);
    }
    combo->EnableOwnColors(true);
    return combo;
}

// The states combo comes last: its open list has the room below it.
QGroupBox* ComboGroup(CExCombo* states) {
    auto* layout = new QVBoxLayout;
    layout->addWidget(Caption("Own colours, exchanged when selected:"));
    layout->addWidget(ColoursCombo());
    auto* disabled = new CExCombo;
    disabled->setObjectName("disabledCombo");
    disabled->addItem("Whole control disabled");
    disabled->setEnabled(false);
    layout->addWidget(Caption("A disabled control:"));
    layout->addWidget(disabled);
    layout->addWidget(Caption("Disabled items cannot be chosen; bold items:"));
    layout->addWidget(states);
    layout->addStretch();
    auto* group = Group("CExCombo", layout);
    group->setMinimumHeight(states->ListItemHeight() * (states->count() + 2) +
                            group->sizeHint().height());
    return group;
}

CStatusButton* StatusButton(const QString& name, const QString& off, const QString& on) {
    auto* button = new CStatusButton(off);
    button->setObjectName(name);
    button->SetOnText(on);
    button->setMinimumSize(110, 36);
    return button;
}

QGroupBox* StatusButtonGroup() {
    auto* layout = new QGridLayout;
    CStatusButton* off = StatusButton("offButton", "Stopped", "Running");
    CStatusButton* on = StatusButton("onButton", "Stopped", "Running");
    on->SetButtonOn(1);
    CStatusButton* flashing = StatusButton("flashingButton", "Idle", "Recording");
    flashing->SetButtonOn(1);
    flashing->Flash(true);
    CStatusButton* colours = StatusButton("colouredButton", "Closed", "Open");
    colours->SetBkOffColor(QColor(192, 0, 0));
    colours->SetBkOnColor(QColor(0, 192, 0));
    colours->SetTextColor(QColor(255, 255, 255));
    CStatusButton* disabledOff = StatusButton("disabledOffButton", "Disabled, off", "Disabled, on");
    disabledOff->setEnabled(false);
    CStatusButton* disabledOn = StatusButton("disabledOnButton", "Disabled, off", "Disabled, on");
    disabledOn->SetButtonOn(1);
    disabledOn->setEnabled(false);

    layout->addWidget(off, 0, 0);
    layout->addWidget(on, 0, 1);
    layout->addWidget(flashing, 1, 0);
    layout->addWidget(colours, 1, 1);
    layout->addWidget(disabledOff, 2, 0);
    layout->addWidget(disabledOn, 2, 1);
    layout->addWidget(Caption("Click to switch; the third one flashes."), 3, 0, 1, 2);
    return Group("CStatusButton", layout);
}

QHBoxLayout* PictureRow(const CBitmapList& list, bool separate) {
    auto* row = new QHBoxLayout;
    for (int i = 0; i < list.GetImageCount(); ++i) {
        auto* picture = new QLabel;
        picture->setPixmap(separate ? list.GetHandle(i) : list.GetImage(i));
        row->addWidget(picture);
    }
    row->addStretch();
    return row;
}

QGroupBox* BitmapListGroup(const CBitmapList& list) {
    auto* layout = new QVBoxLayout;
    layout->addWidget(Caption("Separate images, on the mask colour:"));
    layout->addLayout(PictureRow(list, true));
    layout->addWidget(Caption("The image list, transparent:"));
    layout->addLayout(PictureRow(list, false));
    return Group("CBitmapList", layout);
}

CSymDisplay* SymDisplay(const CBitmapList& symbols, const QColor& background, int symbol) {
    auto* display = new CSymDisplay;
    display->setFixedSize(48, 36);
    display->SetImageList(&symbols);
    display->SetBkColor(background);
    display->SetSymbol(symbol, true);
    return display;
}

QGroupBox* SymDisplayGroup(const CBitmapList& symbols) {
    auto* row = new QHBoxLayout;
    row->addWidget(SymDisplay(symbols, QColor(0, 0, 0), -1));
    row->addWidget(SymDisplay(symbols, QColor(0, 0, 0), 1));
    row->addWidget(SymDisplay(symbols, QColor(0, 0, 128), 2));
    row->addWidget(SymDisplay(symbols, QColor(64, 64, 64), 3));
    CSymDisplay* round = SymDisplay(symbols, QColor(0, 96, 96), 4);
    round->SetRound(16);
    row->addWidget(round);
    row->addStretch();

    // Lets a user try the rule that the last image is never shown.
    auto* chooser = new QHBoxLayout;
    CSymDisplay* chosen = SymDisplay(symbols, QColor(0, 0, 0), 0);
    chosen->setObjectName("chosenSymbol");
    auto* index = new QSpinBox;
    index->setObjectName("symbolIndex");
    index->setRange(-1, symbols.GetImageCount());
    index->setValue(0);
    auto* shown = new QLabel;
    const auto show = [chosen, shown](int value) {
        chosen->SetSymbol(value, true);
        shown->setText(QStringLiteral("GetSymbol() = %1").arg(chosen->GetSymbol()));
    };
    QObject::connect(index, &QSpinBox::valueChanged, chosen, show);
    show(0);
    chooser->addWidget(new QLabel("SetSymbol:"));
    chooser->addWidget(index);
    chooser->addWidget(chosen);
    chooser->addWidget(shown);
    chooser->addStretch();

    auto* layout = new QVBoxLayout;
    layout->addWidget(Caption("No symbol, then symbols 1 to 4 of the status strip:"));
    layout->addLayout(row);
    layout->addLayout(chooser);
    return Group("CSymDisplay", layout);
}

QGroupBox* PathTreeGroup() {
    auto* tree = new kestrum::CPathTree;
    tree->setObjectName("pathTree");
    tree->InitTree();
    tree->ExpandPath("/usr/share", true);
    auto* layout = new QVBoxLayout;
    layout->addWidget(tree);
    return Group("CPathTree", layout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kestrum-gallery");
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows every custom control of Kestrum in one window.");
    parser.addHelpOption();
    const QCommandLineOption openList("open-list", "Open the list of the states combo box.");
    const QCommandLineOption readyFile(
        "ready-file", "Create FILE once the window is on screen (for screenshots).", "FILE");
    parser.addOptions({openList, readyFile});
    parser.process(app);

    // Outlives the window, whose symbol displays and pictures use it.
    CBitmapList symbols;
    symbols.Create(kestrum::kStatusSymbols, kestrum::kStatusSymbolSize,
                   kestrum::CImageList::kTransparent);

    QWidget window;
    window.setWindowTitle("Kestrum gallery");
    auto* states = StatesCombo();
    auto* layout = new QGridLayout(&window);
    layout->addWidget(ComboGroup(states), 0, 0, 2, 1);
    layout->addWidget(StatusButtonGroup(), 0, 1);
    layout->addWidget(SymDisplayGroup(symbols), 1, 1);
    layout->addWidget(BitmapListGroup(symbols), 2, 0, 1, 2);
    layout->addWidget(PathTreeGroup(), 0, 2, 3, 1);
    layout->setColumnMinimumWidth(2, 260);
    window.show();

    QTimer::singleShot(0, &window, [&] {
        if (parser.isSet(openList)) {
            states->showPopup();
        }
        if (parser.isSet(readyFile)) {
            // After the paints that showing caused.
            QTimer::singleShot(0, &window,
                               [&] { QFile(parser.value(readyFile)).open(QIODevice::WriteOnly); });
        }
    });
    return QApplication::exec();
}
