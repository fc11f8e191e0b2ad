#include "corvodlg.h"

#include "output/outputformat.h"

#include "caboutdlg.h"
#include "ccolorcombo.h"
#include "corvoapp.h"
#include "cprocessdlg.h"
#include "focusrect.h"
#include "messages.h"
#include "model/texts.h"
#include "output/dvd1/bitmapfile.h"
#include "output/dvd1/quantiser.h"
#include "render/lookscaling.h"
#include "render/looksettings.h"
#include "windowhost.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace orvo {

namespace {

// Client pixels of the preview, whatever the font: a standard-definition canvas is shown at its
// real size, an HD one scaled into the same room.
constexpr QPoint kFrameOrigin(10, 20);
constexpr QPoint kCanvasOrigin(12, 22);
constexpr int kFrameBorder = 2;
// Room for the tallest standard-definition canvas.
constexpr QSize kPreviewArea = kPalCanvas.Size();
const QRect kPreviewRect(kFrameOrigin, kPreviewArea + QSize(2 * kFrameBorder, 2 * kFrameBorder));
constexpr int kGap = 4;
constexpr int kTopRowY = 1;
constexpr int kTopRowHeight = 18;
constexpr int kProgressHeight = 10;

// The two big buttons are this many text lines high.
constexpr double kTallButtonLines = 1.4;

// The size a canvas is shown at: its own where the room holds it, else scaled to fit.
QSize ShownSize(QSize canvas) {
    if (canvas.width() <= kPreviewArea.width() && canvas.height() <= kPreviewArea.height()) {
        return canvas;
    }
    return canvas.scaled(kPreviewArea, Qt::KeepAspectRatio);
}

// "PAL 720 x 576 Preview 100%" at the real size; "1920 x 1080 Preview 37%" scaled, the
// percentage without its fraction.
QString ModeText(const CanvasSpec& spec) {
    const int percent = 100 * ShownSize(spec.Size()).width() / spec.width;
    if (percent == 100) {
        return QStringLiteral("%1 %2 x %3 Preview 100%")
            .arg(QLatin1String(spec.name.data(), static_cast<qsizetype>(spec.name.size())))
            .arg(spec.width)
            .arg(spec.height);
    }
    return QStringLiteral("%1 x %2 Preview %3%").arg(spec.width).arg(spec.height).arg(percent);
}

// A standard-definition canvas in the colours that its bitmap will hold, so that the fringes of
// the file show here; an HD one, too big for the room and drawn for the full-colour types, as
// it is, smoothly scaled. The canvas keeps its own colours for the test image and the run.
QImage PreviewImage(const QImage& canvas) {
    const QSize shown = ShownSize(canvas.size());
    if (shown == canvas.size()) {
        return InStandardColours(canvas);
    }
    return canvas.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
const char* const kTestImage = "test.bmp";

// The alignment list reads "Center", "Left", "Right"; Align holds 1, 0 and 2 for them.
constexpr std::array<int, 3> kAlignOfItem = {1, 0, 2};

int ItemOfAlign(int align) {
    const auto found = std::find(kAlignOfItem.begin(), kAlignOfItem.end(), align);
    return found == kAlignOfItem.end() ? -1 : static_cast<int>(found - kAlignOfItem.begin());
}

QPushButton* Button(const char* text, const char* name, const char* toolTip, QWidget* parent) {
    return Named(new QPushButton(QString::fromLatin1(text), parent), name, toolTip);
}

// A push-like check box or radio button: it stays down while it is on.
QPushButton* StateButton(const char* text, const char* name, const char* toolTip, QWidget* parent) {
    QPushButton* button = Button(text, name, toolTip, parent);
    button->setCheckable(true);
    button->setAutoDefault(false);
    return button;
}

// Each edit shows a number that only its arrows (or typed digits within the range) change.
QSpinBox* SpinEdit(int maximum, const char* name, const char* toolTip, QWidget* parent) {
    auto* spin = Named(new QSpinBox(parent), name, toolTip);
    spin->setRange(0, maximum);
    spin->setWrapping(true);
    spin->setAlignment(Qt::AlignRight);
    return spin;
}

QLabel* SunkenLabel(const char* name, QWidget* parent) {
    auto* label = Named(new QLabel(parent), name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QGroupBox* Group(const char* title, const char* name, QWidget* parent) {
    return Named(new QGroupBox(QString::fromLatin1(title), parent), name);
}

// Tight spacing keeps the column about as tall as the preview.
constexpr int kColumnSpacing = 4;
constexpr int kGroupSpacing = 2;

// A little more room at the sides and the bottom than between the controls.
template <class Layout>
Layout* Compact(Layout* layout, int spacing = kGroupSpacing) {
    layout->setContentsMargins(spacing + 3, spacing, spacing + 3, spacing + 3);
    layout->setSpacing(spacing);
    return layout;
}

// Buttons in a row share the column's width as their texts do, each text with about as much
// room beside it: a push button's own minimum width would widen the column.
void AddSharing(QHBoxLayout* row, QPushButton* button) {
    const QFontMetrics metrics = button->fontMetrics();
    const int width = metrics.horizontalAdvance(button->text()) + metrics.averageCharWidth();
    button->setSizePolicy(QSizePolicy::Ignored, button->sizePolicy().verticalPolicy());
    button->setMinimumWidth(width);
    row->addWidget(button, width);
}

void MakeTall(QPushButton* button) {
    const int line = button->fontMetrics().height();
    button->setMinimumHeight(static_cast<int>(line * kTallButtonLines) +
                             button->sizeHint().height() - line);
}

// Keeps the window disabled while a run goes, and gives its focus back afterwards.
class RunningWindow {
public:
    explicit RunningWindow(QWidget& window)
        : m_window(window)
        , m_focus(window.focusWidget()) {
        m_window.setEnabled(false);
    }
    RunningWindow(const RunningWindow&) = delete;
    RunningWindow& operator=(const RunningWindow&) = delete;
    ~RunningWindow() {
        m_window.setEnabled(true);
        if (m_focus) {
            m_focus->setFocus();
        }
    }

private:
    QWidget& m_window;
    QPointer<QWidget> m_focus;
};

// The font the Font... dialog opens on. Its list holds only the families installed here, and a
// stored face that is missing (Arial, drawn in Liberation Sans) would open it on its default
// family: it opens on the family drawn. It lists sizes in points; the description holds pixels
// at 96 dots per inch.
QFont FontDialogStart(const QFont& stored) {
    QFont font = stored;
    font.setFamily(QFontInfo(stored).family());
    if (font.pixelSize() > 0) {
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    }
    return font;
}

std::string WriteFailuresText(const std::vector<std::string>& failures) {
    // Beyond a screenful the rest only repeats the reason.
    constexpr std::size_t kShown = 10;
    std::string text = std::to_string(failures.size()) + " files could not be written:\r\n";
    for (std::size_t i = 0; i < failures.size() && i < kShown; ++i) {
        text += "\r\n" + failures[i];
    }
    if (failures.size() > kShown) {
        text += "\r\n...";
    }
    return text;
}

} // namespace

COrvoDlg::COrvoDlg(COrvoApp& app, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_app(app)
    , m_renderer(m_settings)
    , m_canvas(MakeCanvas(kPalCanvas)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Tessaly"));
    CreateControls();
    ConnectControls();
    SetTabOrder();
    AddAboutCommand();
    // The colour combo follows the "Text" target from the start.
    m_textTarget->setChecked(true);
    m_colorCombo->setCurrentIndex(0);
    LoadLookSettings();
}

// A margin edit that has the focus loses it while the window's base class tears the controls
// down, after this part of the window is gone.
COrvoDlg::~COrvoDlg() {
    for (const auto& [edit, margin] : MarginEdits()) {
        edit->disconnect(this);
    }
}

void COrvoDlg::CreateControls() {
    m_modeLabel = SunkenLabel("modeLabel", this);
    m_modeLabel->setText(ModeText(kPalCanvas));
    m_statusLine = SunkenLabel("statusLine", this);
    m_progressBar = Named(new QProgressBar(this), "progressBar");
    m_progressBar->setTextVisible(false);
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    PlaceControls(CreateColumn());
}

QFrame* COrvoDlg::CreateColumn() {
    auto* column = Named(new QFrame(this), "controlColumn");
    column->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_ntsc = StateButton("NTSC", "ntscButton", "NTSC resolution 720x480.", column);
    m_pal = StateButton("PAL", "palButton", "PAL resolution 720x576.", column);
    m_hd720 = StateButton("720p", "hd720Button", "HD resolution 1280x720.", column);
    m_hd1080 = StateButton("1080p", "hd1080Button", "HD resolution 1920x1080.", column);
    auto* modes = new QHBoxLayout;
    modes->setSpacing(kGroupSpacing);
    for (const auto& [mode, canvas] : CanvasButtons()) {
        mode->setAutoExclusive(true);
        mode->setFocusPolicy(Qt::ClickFocus);
        AddSharing(modes, mode);
    }

    m_quit = Button("&Quit", "quitButton", nullptr, column);
    MakeTall(m_quit);

    auto* layout = Compact(new QVBoxLayout(column), kColumnSpacing);
    layout->addLayout(modes);
    layout->addWidget(CreateMarginsGroup(column));
    layout->addWidget(CreateColorsGroup(column));
    layout->addWidget(CreateTextGroup(column));
    layout->addWidget(CreateGenerationGroup(column));
    layout->addWidget(m_quit);
    layout->addStretch(1);
    return column;
}

QGroupBox* COrvoDlg::CreateMarginsGroup(QWidget* parent) {
    QGroupBox* group = Group("Margins: (0 - 150)", "marginsGroup", parent);
    m_marginsGroup = group;
    m_leftMargin = SpinEdit(kMaxMargin, "leftMarginEdit", "Change left margin.", group);
    m_rightMargin = SpinEdit(kMaxMargin, "rightMarginEdit", "Change right margin.", group);
    m_bottomMargin = SpinEdit(kMaxMargin, "bottomMarginEdit", "Change bottom margin.", group);
    auto* layout = Compact(new QGridLayout(group));
    int row = 0;
    for (const auto& [text, spin] :
         {std::pair{"Left:", m_leftMargin}, std::pair{"Right", m_rightMargin},
          std::pair{"Bottom:", m_bottomMargin}}) {
        auto* label = new QLabel(QString::fromLatin1(text), group);
        label->setBuddy(spin);
        layout->addWidget(label, row, 0);
        layout->addWidget(spin, row, 1);
        ++row;
    }
    return group;
}

QGroupBox* COrvoDlg::CreateColorsGroup(QWidget* parent) {
    QGroupBox* group = Group("Colors:", "colorsGroup", parent);
    m_textTarget = StateButton("Text", "textColorButton", "Select text color.", group);
    m_textBkgTarget = StateButton("Text Background", "textBkgColorButton",
                                  "Select text background or outline color.", group);
    m_bkgTarget = StateButton("Background", "bkgColorButton", "Select background color.", group);
    m_colorCombo = Named(new CColorCombo(group), "colorCombo", "Change selected color.");
    auto* layout = Compact(new QVBoxLayout(group));
    for (QPushButton* target : {m_textTarget, m_textBkgTarget, m_bkgTarget}) {
        target->setAutoExclusive(true);
        layout->addWidget(target);
    }
    // Only the first target is a tab stop; the arrow keys move between the three.
    m_textBkgTarget->setFocusPolicy(Qt::ClickFocus);
    m_bkgTarget->setFocusPolicy(Qt::ClickFocus);
    layout->addWidget(m_colorCombo);
    return group;
}

QGroupBox* COrvoDlg::CreateTextGroup(QWidget* parent) {
    QGroupBox* group = Group("Text:", "textGroup", parent);
    m_align = Named(new QComboBox(group), "alignCombo", "Change text alignment.");
    m_align->addItems({QStringLiteral("Center"), QStringLiteral("Left"), QStringLiteral("Right")});
    m_font = Button("Font...", "fontButton", "Select font.", group);
    m_antialias = StateButton("Antialias", "antialiasButton", "Antialias on/off.", group);
    m_boxing = StateButton("Boxing", "boxingButton", "Boxing on/off.", group);
    m_outline = StateButton("Outline", "outlineButton", "Outline on/off.", group);
    QGroupBox* spacing = Group("Outline Spacing:", "outlineSpacingGroup", group);
    spacing->setFlat(true);
    m_outlineSpacing = SpinEdit(kMaxOutlineSpacing, "outlineSpacingEdit", nullptr, spacing);
    auto* spacingLayout = Compact(new QHBoxLayout(spacing), 0);
    spacingLayout->addWidget(m_outlineSpacing, 0, Qt::AlignHCenter);
    // The ring's width and the shadow's offset, each a spin of its own beside its label.
    m_outlineWidth =
        SpinEdit(kMaxOutlineWidth, "outlineWidthEdit", "Width of the outline ring.", group);
    m_outlineWidth->setMinimum(kMinOutlineWidth);
    m_shadow =
        SpinEdit(kMaxShadowOffset, "shadowEdit",
                 "Shadow in the text background color, pixels down and right; 0 is none.", group);
    m_balancedBreaks = StateButton("Balanced", "balancedBreaksButton",
                                   "A line that wraps breaks into two of about one width.", group);
    m_anamorphic =
        StateButton("16:9", "anamorphicButton",
                    "Text for a widescreen picture: drawn narrower, shown in shape.", group);
    m_extendBlanks = StateButton("Extend Blanks", "extendBlanksButton", nullptr, group);
    m_dvdColors = StateButton("DVD colours (4)", "dvdColorsButton",
                              "Four colours, as a DVD subpicture holds them: background, text "
                              "background, text and one shade for the edges.",
                              group);

    auto* alignRow = new QHBoxLayout;
    auto* alignLabel = new QLabel(QStringLiteral("Alignment:"), group);
    alignLabel->setBuddy(m_align);
    alignRow->addWidget(alignLabel);
    alignRow->addWidget(m_align, 1);
    auto* legibility = new QGridLayout;
    legibility->setContentsMargins(0, 0, 0, 0);
    for (const auto& [text, spin, column] :
         {std::tuple{"Width:", m_outlineWidth, 0}, std::tuple{"Shadow:", m_shadow, 2}}) {
        auto* label = new QLabel(QString::fromLatin1(text), group);
        label->setBuddy(spin);
        legibility->addWidget(label, 0, column);
        legibility->addWidget(spin, 0, column + 1);
    }
    legibility->addWidget(m_balancedBreaks, 1, 0, 1, 2);
    legibility->addWidget(m_anamorphic, 1, 2, 1, 2);
    auto* layout = Compact(new QVBoxLayout(group));
    layout->addLayout(alignRow);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_font, m_antialias, m_boxing, m_outline, spacing}) {
        layout->addWidget(control);
    }
    layout->addLayout(legibility);
    layout->addWidget(m_extendBlanks);
    layout->addWidget(m_dvdColors);
    return group;
}

QGroupBox* COrvoDlg::CreateGenerationGroup(QWidget* parent) {
    QGroupBox* group = Group("Generation:", "generationGroup", parent);
    m_saveTestImage =
        Button("Save test image", "saveTestImageButton", "Save the current test image.", group);
    m_testMode = StateButton("&Test mode", "testModeButton",
                             "No bitmaps are saved.\r\nCan be used to detect additional line "
                             "breaks.",
                             group);
    m_process =
        Button("&Process file...", "processButton", "Opens a dialog to start generation.", group);
    m_process->setDefault(true);
    MakeTall(m_process);
    auto* layout = Compact(new QVBoxLayout(group));
    layout->addWidget(m_saveTestImage);
    layout->addWidget(m_testMode);
    layout->addWidget(m_process);
    return group;
}

// The preview's place is fixed in pixels; the column beside it takes what its font needs.
void COrvoDlg::PlaceControls(QFrame* column) {
    const int previewRight = kPreviewRect.right() + 1;
    const QFontMetrics metrics = m_modeLabel->fontMetrics();
    int modeWidth = 0;
    for (const auto& [button, canvas] : CanvasButtons()) {
        modeWidth = std::max(modeWidth, metrics.horizontalAdvance(ModeText(*canvas)));
    }
    modeWidth += 2 * metrics.averageCharWidth();
    m_modeLabel->setGeometry(kFrameOrigin.x(), kTopRowY, modeWidth, kTopRowHeight);
    const int statusLeft = kFrameOrigin.x() + modeWidth + kGap;
    m_statusLine->setGeometry(statusLeft, kTopRowY, previewRight - statusLeft, kTopRowHeight);
    const int progressTop = kPreviewRect.bottom() + 1 + kGap;
    m_progressBar->setGeometry(kFrameOrigin.x(), progressTop, kPreviewRect.width(),
                               kProgressHeight);

    const QSize columnSize = column->sizeHint();
    const int height = std::max(progressTop + kProgressHeight, columnSize.height()) + kGap;
    column->setGeometry(previewRight + kGap, kTopRowY, columnSize.width(), height - 2 * kTopRowY);
    setFixedSize(previewRight + 2 * kGap + columnSize.width(), height);
}

void COrvoDlg::ConnectControls() {
    for (const auto& entry : CanvasButtons()) {
        const CanvasSpec* const canvas = entry.second;
        connect(entry.first, &QPushButton::clicked, this,
                [this, canvas] { MoveToCanvas(*canvas); });
    }
    for (QPushButton* target : {m_textTarget, m_textBkgTarget, m_bkgTarget}) {
        connect(target, &QPushButton::clicked, this, &COrvoDlg::OnColorTarget);
    }
    connect(m_colorCombo, &QComboBox::activated, this, &COrvoDlg::OnSelchangeColor);
    connect(m_align, &QComboBox::activated, this, &COrvoDlg::OnSelchangeAlign);
    // Named copies, not structured bindings: clang before 16 cannot capture those.
    for (const auto& entry : MarginEdits()) {
        auto* const edit = entry.first;
        auto* const margin = entry.second;
        connect(edit, &QSpinBox::textChanged, this, [this] { m_marginChanged = true; });
        connect(edit, &QSpinBox::editingFinished, this,
                [this, edit, margin] { ApplyMargin(edit, *margin); });
    }
    connect(m_antialias, &QPushButton::clicked, this, [this] {
        RebuildFonts();
        InvalidatePreview();
    });
    connect(m_font, &QPushButton::clicked, this, &COrvoDlg::OnFont);
    connect(m_boxing, &QPushButton::clicked, this, &COrvoDlg::ApplyBoxingRule);
    connect(m_outline, &QPushButton::clicked, this, &COrvoDlg::ApplyOutlineRule);
    connect(m_outlineSpacing, &QSpinBox::valueChanged, this, [this](int spacing) {
        m_settings.OutlineSpacing = spacing;
        InvalidatePreview();
    });
    connect(m_outlineWidth, &QSpinBox::valueChanged, this, [this](int width) {
        m_settings.OutlineWidth = width;
        InvalidatePreview();
    });
    connect(m_shadow, &QSpinBox::valueChanged, this, [this](int offset) {
        m_settings.ShadowOffset = offset;
        InvalidatePreview();
    });
    connect(m_balancedBreaks, &QPushButton::clicked, this, [this](bool on) {
        m_settings.BalancedBreaks = on;
        InvalidatePreview();
    });
    connect(m_anamorphic, &QPushButton::clicked, this, [this](bool on) {
        m_settings.Anamorphic = on;
        RebuildFonts();
        InvalidatePreview();
    });
    connect(m_extendBlanks, &QPushButton::clicked, this, [this](bool on) {
        m_settings.ExtendBlanks = on;
        InvalidatePreview();
    });
    connect(m_dvdColors, &QPushButton::clicked, this, [this](bool on) {
        m_settings.DvdColors = on;
        InvalidatePreview();
    });
    connect(m_saveTestImage, &QPushButton::clicked, this, &COrvoDlg::OnSaveTestImage);
    connect(m_process, &QPushButton::clicked, this, &COrvoDlg::StartProcess);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::reject);
}

void COrvoDlg::SetTabOrder() {
    const std::array<QWidget*, 21> order = {
        m_leftMargin,     m_rightMargin,  m_bottomMargin,  m_textTarget,     m_colorCombo,
        m_align,          m_font,         m_antialias,     m_boxing,         m_outline,
        m_outlineSpacing, m_outlineWidth, m_shadow,        m_balancedBreaks, m_anamorphic,
        m_extendBlanks,   m_dvdColors,    m_saveTestImage, m_testMode,       m_process,
        m_quit,
    };
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    // Otherwise the dialog gives the focus to its default button, because the first control
    // of its focus chain is a push button.
    order.front()->setFocus();
}

// Window managers keep their window menus to themselves: the About command sits in the
// window's own context menu, and on F1.
void COrvoDlg::AddAboutCommand() {
    m_about = new QAction(QStringLiteral("&About Orvo..."), this);
    m_about->setObjectName(QStringLiteral("aboutAction"));
    m_about->setShortcut(QKeySequence(Qt::Key_F1));
    m_about->setShortcutContext(Qt::WindowShortcut);
    connect(m_about, &QAction::triggered, this, &COrvoDlg::OnAbout);
    addAction(m_about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void COrvoDlg::LoadLookSettings() {
    orvo::LoadLookSettings(m_app.GetPropDb(), m_settings, m_LastPath);
    ShowLook();
}

void COrvoDlg::SaveLookSettings() {
    orvo::SaveLookSettings(m_app.GetPropDb(), m_settings, m_LastPath);
}

// The controls take over the look. Stored values beyond what a control can show are brought
// into its range, so that the preview never draws something the window does not show.
void COrvoDlg::ShowLook() {
    ShowMarginRange();
    for (const auto& [edit, margin] : MarginEdits()) {
        *margin = std::clamp(*margin, 0, edit->maximum());
        edit->setValue(*margin);
    }
    m_marginChanged = false;
    m_settings.OutlineSpacing = std::clamp(m_settings.OutlineSpacing, 0, kMaxOutlineSpacing);
    m_outlineSpacing->setValue(m_settings.OutlineSpacing);
    m_antialias->setChecked(m_settings.AntiAlias);
    m_boxing->setChecked(m_settings.Box);
    m_outline->setChecked(m_settings.Outline != 0);
    m_outlineWidth->setValue(m_settings.OutlineWidth);
    m_shadow->setValue(m_settings.ShadowOffset);
    m_balancedBreaks->setChecked(m_settings.BalancedBreaks);
    m_anamorphic->setChecked(m_settings.Anamorphic);
    m_extendBlanks->setChecked(m_settings.ExtendBlanks);
    m_dvdColors->setChecked(m_settings.DvdColors);
    // Any other stored alignment leaves the list as it was.
    if (const int item = ItemOfAlign(m_settings.Align); item >= 0) {
        m_align->setCurrentIndex(item);
    }
    m_colorCombo->SelectColor(TargetColor());
    RebuildFonts();
    ShowCanvas();
}

// An HD canvas has the room of its lines for the margins.
void COrvoDlg::ShowMarginRange() {
    const int maximum = MaxMargin(CanvasOf(m_settings));
    m_marginsGroup->setTitle(QStringLiteral("Margins: (0 - %1)").arg(maximum));
    for (const auto& [edit, margin] : MarginEdits()) {
        edit->setMaximum(maximum);
    }
}

// The main font follows "Antialias"; the outline font never antialiases (the renderer makes
// both from the description).
void COrvoDlg::RebuildFonts() {
    m_settings.AntiAlias = m_antialias->isChecked();
    m_settings.Font.quality =
        m_settings.AntiAlias ? LOGFONT::kAntialiasedQuality : LOGFONT::kNonAntialiasedQuality;
    m_renderer.RebuildFonts(m_settings);
}

void COrvoDlg::InvalidatePreview() {
    m_renderer.RenderSubtitle(m_settings, texts::kTestText, m_canvas);
    update(kPreviewRect);
}

// The same look at once on the other canvas: a look scaled by every click would grow with it.
void COrvoDlg::MoveToCanvas(const CanvasSpec& canvas) {
    ApplyPendingMargin();
    const CanvasSpec& current = CanvasOf(m_settings);
    if (current == canvas) {
        return;
    }
    m_settings = LookOnCanvas(m_settings, current, canvas);
    ShowLook();
}

void COrvoDlg::ShowCanvas() {
    const CanvasSpec& canvas = CanvasOf(m_settings);
    for (const auto& [button, spec] : CanvasButtons()) {
        if (*spec == canvas) {
            button->setChecked(true);
        }
    }
    m_canvas = MakeCanvas(canvas);
    m_modeLabel->setText(ModeText(canvas));
    // HD pixels are square: the text keeps its shape there whatever the button says.
    m_anamorphic->setEnabled(!IsHighDefinition(canvas));
    InvalidatePreview();
    // A shorter canvas leaves the lines below it to be cleared.
    update();
}

std::array<std::pair<QPushButton*, const CanvasSpec*>, 4> COrvoDlg::CanvasButtons() const {
    return {{{m_ntsc, &kNtscCanvas},
             {m_pal, &kPalCanvas},
             {m_hd720, &k720Canvas},
             {m_hd1080, &k1080Canvas}}};
}

// The text block's width between the margins, from the canvas top down to the block's bottom,
// in window coordinates as the preview shows the canvas: where the margins and the bottom
// offset lie.
QRect COrvoDlg::PreviewTextFrame() const {
    const double scale = static_cast<double>(ShownSize(m_canvas.size()).width()) / m_canvas.width();
    const auto shown = [scale](int pixels) {
        return static_cast<int>(std::lround(pixels * scale));
    };
    const int left = kCanvasOrigin.x() + shown(m_settings.LeftMargin);
    const int right = kCanvasOrigin.x() + shown(m_canvas.width() - m_settings.RightMargin);
    const int bottom = kCanvasOrigin.y() + shown(m_canvas.height() - m_settings.VerticalOffset);
    return {QPoint(left, kCanvasOrigin.y()), QPoint(right - 1, bottom - 1)};
}

void COrvoDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A sunken frame: black at the top and left, white at the bottom and right.
    const QRect frame(kFrameOrigin,
                      ShownSize(m_canvas.size()) + QSize(2 * kFrameBorder, 2 * kFrameBorder));
    painter.fillRect(frame.left(), frame.top(), frame.width() - 1, 1, Qt::black);
    painter.fillRect(frame.left(), frame.top(), 1, frame.height() - 1, Qt::black);
    painter.fillRect(frame.right(), frame.top(), 1, frame.height(), Qt::white);
    painter.fillRect(frame.left(), frame.bottom(), frame.width(), 1, Qt::white);
    painter.drawImage(kCanvasOrigin, PreviewImage(m_canvas));
    if (const QRect text = PreviewTextFrame(); text.isValid()) {
        DrawFocusRect(painter, text);
    }
}

std::array<std::pair<QSpinBox*, int*>, 3> COrvoDlg::MarginEdits() {
    return {{{m_leftMargin, &m_settings.LeftMargin},
             {m_rightMargin, &m_settings.RightMargin},
             {m_bottomMargin, &m_settings.VerticalOffset}}};
}

COLORREF& COrvoDlg::TargetColor() {
    if (m_textTarget->isChecked()) {
        return m_settings.TextColor;
    }
    if (m_textBkgTarget->isChecked()) {
        return m_settings.TextBkgColor;
    }
    return m_settings.BkgColor;
}

void COrvoDlg::OnColorTarget() {
    m_colorCombo->SelectColor(TargetColor());
}

void COrvoDlg::OnSelchangeColor(int index) {
    TargetColor() = m_colorCombo->GetItemColor(index);
    InvalidatePreview();
}

void COrvoDlg::OnSelchangeAlign(int index) {
    m_settings.Align = kAlignOfItem.at(static_cast<std::size_t>(index));
    InvalidatePreview();
}

void COrvoDlg::ApplyMargin(QSpinBox* edit, int& margin) {
    margin = edit->value();
    if (m_marginChanged) {
        InvalidatePreview();
    }
    m_marginChanged = false;
}

// A margin applies when its edit loses the focus, which comes only after the look is saved
// when the window closes or the Process button's shortcut opens the Process dialog.
void COrvoDlg::ApplyPendingMargin() {
    for (const auto& [edit, margin] : MarginEdits()) {
        if (edit->hasFocus()) {
            ApplyMargin(edit, *margin);
        }
    }
}

void COrvoDlg::ApplyBoxingRule() {
    m_settings.Box = m_boxing->isChecked();
    if (m_settings.Box) {
        m_outline->setChecked(false);
        ApplyOutlineRule();
    }
    InvalidatePreview();
}

void COrvoDlg::ApplyOutlineRule() {
    m_settings.Outline = m_outline->isChecked() ? 1 : 0;
    if (m_settings.Outline != 0) {
        m_boxing->setChecked(false);
        ApplyBoxingRule();
    }
    InvalidatePreview();
}

void COrvoDlg::OnFont() {
    const QFont stored = m_settings.Font.ToQFont();
    const QFont current = FontDialogStart(stored);
    bool chosen = false;
    QFont font =
        QFontDialog::getFont(&chosen, current, this, QString(), QFontDialog::ScalableFonts);
    if (!chosen) {
        return;
    }
    // Left on the family that stands in for the stored face, the face stays: a machine that
    // has it draws it.
    if (font.family() == current.family()) {
        font.setFamily(stored.family());
    }
    m_settings.Font = m_settings.Font.WithFont(font);
    RebuildFonts();
    InvalidatePreview();
}

// Into the current folder, as the canvas was last drawn.
void COrvoDlg::OnSaveTestImage() {
    const DibSaveOutcome outcome = SaveCanvasBitmap(&m_canvas, kTestImage);
    if (outcome.code != kDibWritten) {
        m_statusLine->setText(
            QStringLiteral("Cannot write %1: %2")
                .arg(QString::fromLatin1(kTestImage), QString::fromStdString(outcome.Reason())));
    }
}

void COrvoDlg::StartProcess() {
    ApplyPendingMargin();
    SaveLookSettings();
    m_app.SaveSettings();
    CProcessDlg dialog(m_app.GetPropDb(), m_app.GetStore(), this);
    dialog.SetInputFile(m_LastPath);
    const int result = dialog.exec();
    repaint();
    if (result != QDialog::Accepted) {
        // Drops whatever a list configuration file brought in; the window keeps its look.
        m_app.LoadSettings(this);
        return;
    }
    // The list's configuration may have brought another look: the controls show it during
    // the run.
    LoadLookSettings();
    m_LastPath = dialog.GetInputFile();
    const OutputType type = dialog.GetOutputType();
    // A subpicture holds four colours: the run draws in them whatever the button said, and the
    // disabled window shows it for the run, not for the look.
    if (FormatOf(type).colours == ColourModel::DvdClasses) {
        m_dvdColors->setChecked(true);
    }
    RunGeneration(dialog.GetRunParameters());
}

void COrvoDlg::RunGeneration(const RunParameters& parameters) {
    WindowHost host({this, m_statusLine, m_progressBar, m_testMode, kPreviewRect}, m_keys);
    {
        const RunningWindow running(*this);
        StartGeneration(m_app.GetPropDb(), m_app.GetStore(), parameters, m_settings, m_renderer,
                        m_canvas, host);
    }
    m_dvdColors->setChecked(m_settings.DvdColors);
    // A key held through the run (Escape for the question, say) must not act on the window
    // that the run gives back: its repeats would quit or start another run.
    m_keys.IgnoreRepeatsOfHeldKeys();
    if (!host.GetWriteFailures().empty()) {
        ShowMessage(this, QMessageBox::Warning, WriteFailuresText(host.GetWriteFailures()));
    }
}

void COrvoDlg::OnAbout() {
    CAboutDlg(m_app.GetVersion().GetVersion(), this).exec();
}

// The close box still works on a disabled window; a run must not lose its window.
void COrvoDlg::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void COrvoDlg::done(int result) {
    ApplyPendingMargin();
    SaveLookSettings();
    QDialog::done(result);
}

} // namespace orvo
