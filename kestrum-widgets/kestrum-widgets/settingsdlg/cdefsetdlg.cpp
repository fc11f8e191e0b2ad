#include "kestrum-widgets/settingsdlg/cdefsetdlg.h"

#include "kestrum-widgets/common/treeitems.h"
#include "kestrum-widgets/pathtree/cpathtree.h"
#include "kestrum-widgets/settingsdlg/climitedtextedit.h"
#include "kestrum-widgets/settingsdlg/defsettexts.h"
#include "kestrum-widgets/settingsdlg/fieldtext.h"
#include "kestrum-widgets/settingsdlg/valuekinds.h"
#include <kestrum-gui/colorref.h>
#include <kestrum-gui/displaytext.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stack>
#include <utility>

namespace kestrum {

namespace {

constexpr std::uint32_t kLightGrey = 0x00C0C0C0;
constexpr QRgb kHelpBackground = qRgb(255, 255, 220);
constexpr int kIconSize = 16;
// Every item with a smaller picture is the top item or a section.
constexpr int kFirstKeyImage = 2;
constexpr int kClosedFolderImage = 0;
constexpr int kOpenFolderImage = 1;
// The sample field's font until a font page replaces it.
constexpr std::string_view kSampleFace = "MS Sans Serif";
constexpr std::int32_t kSampleHeight = -8;

// Positions and sizes in dialog units: a quarter of the average character width and an
// eighth of the character height of the dialog's font, so the layout follows the font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString alphabet =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
        m_baseY = metrics.height();
    }

    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }
    // The centring offsets were chosen in pixels of a font 13 pixels high; they scale with
    // the font, as the controls do.
    int Offset(int pixels) const {
        return static_cast<int>(std::lround(pixels * m_baseY / kOffsetBaseY));
    }

private:
    static constexpr double kOffsetBaseY = 13.0;
    int X(int units) const { return (units * m_baseX + 2) / 4; }
    int Y(int units) const { return (units * m_baseY + 4) / 8; }

    int m_baseX = 0;
    int m_baseY = 0;
};

// Like an edit field of the number style: typed characters other than digits are refused.
// Text set by the program (a stored negative number) is left alone.
class CDigitKeysOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            const bool printable = !text.isEmpty() && text.front().isPrint();
            if (printable &&
                !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

void SetFill(QWidget& widget, const QColor& background, const QColor* text = nullptr) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, background);
    if (text != nullptr) {
        palette.setColor(QPalette::WindowText, *text);
    }
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void Hide(QWidget& widget) {
    widget.setEnabled(false);
    widget.hide();
}

} // namespace

CDefSetEditDataEvent::CDefSetEditDataEvent(std::string_view section, std::string_view key)
    : QEvent(WM_DEFSET_EDITDATA)
    , m_section(section)
    , m_key(key) {}

CDefSetEditDataEvent::~CDefSetEditDataEvent() = default;

CDefSetDlg::CDefSetDlg(QWidget* parent)
    : QDialog(parent)
    , m_Color(kLightGrey)
    , m_ImageList(QStringLiteral(":/kestrum/settingsdlg/icons/keytree.png"), kIconSize)
    , m_Font(LOGFONT::Make(kSampleFace, kSampleHeight)) {
    setObjectName(QStringLiteral("settingsDialog"));
    CreateControls();
    PlaceControls();
    ConnectControls();
}

CDefSetDlg::~CDefSetDlg() = default;

void CDefSetDlg::CreateControls() {
    // Created in tab order; the group box first, so that it lies behind the page controls.
    m_Parameter = new QGroupBox(QStringLiteral("Parameter"), this);
    m_Tree = new QTreeWidget(this);
    m_ExpandAll = new QPushButton(this);
    m_CollapsAll = new QPushButton(this);
    m_True = new QPushButton(this);
    m_False = new QPushButton(this);
    m_IntCombo = new QComboBox(this);
    m_IntValue = new QLineEdit(this);
    m_FloatValue = new QLineEdit(this);
    m_TextValue = new CLimitedTextEdit(this);
    m_PathTree = new CPathTree(this);
    m_Change = new QPushButton(this);
    m_Ok = new QPushButton(QStringLiteral("OK"), this);
    m_Cancel = new QPushButton(this);
    m_Range = new QLabel(QStringLiteral("(range)"), this);
    m_Example = new QLabel(QStringLiteral("(example)"), this);
    m_Info = new QLabel(QStringLiteral("(Info)"), this);

    const std::pair<QWidget*, const char*> names[] = {
        {m_Parameter, "parameterGroup"},
        {m_Tree, "keyTree"},
        {m_ExpandAll, "expandAllButton"},
        {m_CollapsAll, "collapseAllButton"},
        {m_True, "yesButton"},
        {m_False, "noButton"},
        {m_IntCombo, "choiceList"},
        {m_IntValue, "intValue"},
        {m_FloatValue, "floatValue"},
        {m_TextValue, "textValue"},
        {m_PathTree, "pathTree"},
        {m_Change, "changeButton"},
        {m_Ok, "okButton"},
        {m_Cancel, "cancelButton"},
        {m_Range, "rangeText"},
        {m_Example, "sampleField"},
        {m_Info, "helpField"},
    };
    for (const auto& [widget, name] : names) {
        widget->setObjectName(QString::fromLatin1(name));
    }

    m_Tree->setHeaderHidden(true);
    m_Tree->setRootIsDecorated(true);
    m_Tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_Tree->setIconSize(QSize(kIconSize, kIconSize));

    m_True->setCheckable(true);
    m_False->setCheckable(true);
    m_YesNo = new QButtonGroup(this);
    m_YesNo->addButton(m_True);
    m_YesNo->addButton(m_False);

    m_IntValue->setAlignment(Qt::AlignRight);
    m_IntValue->installEventFilter(new CDigitKeysOnly(m_IntValue));
    m_FloatValue->setAlignment(Qt::AlignRight);
    m_TextValue->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_Ok->setDefault(true);

    for (QLabel* label : {m_Range, m_Example, m_Info}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
    }
    m_Range->setAlignment(Qt::AlignCenter);
    m_Example->setAlignment(Qt::AlignCenter);
    m_Info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Info->setWordWrap(true);
    const QColor black(Qt::black);
    SetFill(*m_Info, QColor(kHelpBackground), &black);
    ShowColor();
}

void CDefSetDlg::PlaceControls() {
    const DialogUnits units(font());
    const std::pair<QWidget*, QRect> places[] = {
        {m_Tree, units.Rect(4, 14, 149, 99)},        {m_ExpandAll, units.Rect(4, 2, 47, 12)},
        {m_CollapsAll, units.Rect(53, 2, 47, 12)},   {m_True, units.Rect(170, 26, 79, 24)},
        {m_False, units.Rect(228, 65, 79, 24)},      {m_IntCombo, units.Rect(163, 23, 92, 78)},
        {m_IntValue, units.Rect(258, 23, 50, 12)},   {m_FloatValue, units.Rect(164, 34, 58, 12)},
        {m_TextValue, units.Rect(162, 52, 148, 37)}, {m_PathTree, units.Rect(162, 11, 148, 101)},
        {m_Change, units.Rect(202, 121, 47, 14)},    {m_Ok, units.Rect(263, 140, 46, 14)},
        {m_Cancel, units.Rect(263, 123, 46, 14)},    {m_Range, units.Rect(164, 11, 144, 11)},
        {m_Parameter, units.Rect(160, 2, 152, 110)}, {m_Example, units.Rect(206, 41, 101, 35)},
        {m_Info, units.Rect(4, 118, 256, 48)},
    };
    for (const auto& [widget, rect] : places) {
        widget->setGeometry(rect);
    }
    // The template's height of a drop-down list includes its open list; closed, it is one
    // line high.
    m_IntCombo->resize(m_IntCombo->width(), m_IntCombo->sizeHint().height());
    setFixedSize(units.Rect(0, 0, 314, 170).size());
}

void CDefSetDlg::ConnectControls() {
    connect(m_Tree, &QTreeWidget::currentItemChanged, this, &CDefSetDlg::OnSelchangedTree);
    connect(m_Tree, &QTreeWidget::itemExpanded, this, &CDefSetDlg::OnItemexpandedTree);
    connect(m_Tree, &QTreeWidget::itemCollapsed, this, &CDefSetDlg::OnItemexpandedTree);
    connect(m_ExpandAll, &QPushButton::clicked, this, &CDefSetDlg::OnExpandAll);
    connect(m_CollapsAll, &QPushButton::clicked, this, &CDefSetDlg::OnCollapsAll);
    connect(m_Change, &QPushButton::clicked, this, &CDefSetDlg::OnChange);
    connect(m_Ok, &QPushButton::clicked, this, &CDefSetDlg::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &CDefSetDlg::reject);
    connect(m_IntValue, &QLineEdit::textChanged, this, &CDefSetDlg::OnChangeValue);
    connect(m_FloatValue, &QLineEdit::textChanged, this, &CDefSetDlg::OnChangeValue);
    connect(m_TextValue, &QPlainTextEdit::textChanged, this, &CDefSetDlg::OnChangeValue);
    connect(m_True, &QPushButton::clicked, this, &CDefSetDlg::OnChangeValue);
    connect(m_False, &QPushButton::clicked, this, &CDefSetDlg::OnChangeValue);
    connect(m_IntCombo, &QComboBox::currentIndexChanged, this, &CDefSetDlg::OnChangeValue);
    connect(m_PathTree, &QTreeWidget::currentItemChanged, this, &CDefSetDlg::OnChangeValue);
}

// Registration ---------------------------------------------------------------------------

template <class Fill>
void CDefSetDlg::Register(std::string_view section, std::string_view key, std::int32_t type,
                          std::int32_t subType, std::string_view info, Fill fill) {
    auto description = std::make_unique<CPropInfo>();
    description->m_nType = type;
    description->m_nSubType = subType;
    description->m_strInfo = info;
    fill(*description);
    m_InfoDb.WritePropObj(section, key, std::move(description));
}

void CDefSetDlg::SetIntRange(std::string_view section, std::string_view key, int nMin, int nMax,
                             std::string_view info) {
    Register(section, key, kPropInt, kInfoRange, info, [&](CPropInfo& description) {
        description.m_nMin = nMin;
        description.m_nMax = nMax;
    });
}

void CDefSetDlg::SetFloatRange(std::string_view section, std::string_view key, float fMin,
                               float fMax, std::string_view info) {
    Register(section, key, kPropFloat, kInfoRange, info, [&](CPropInfo& description) {
        description.m_fMin = fMin;
        description.m_fMax = fMax;
    });
}

void CDefSetDlg::SetStringRange(std::string_view section, std::string_view key, int nMaxChars,
                                std::string_view info) {
    Register(section, key, kPropString, kInfoRange, info,
             [&](CPropInfo& description) { description.m_nMaxChars = nMaxChars; });
}

namespace {
// The limit of file and path values, whose pages show no length.
constexpr int kPathChars = 255;
} // namespace

void CDefSetDlg::SetStringFile(std::string_view section, std::string_view key,
                               std::string_view info) {
    Register(section, key, kPropString, kInfoFile, info,
             [](CPropInfo& description) { description.m_nMaxChars = kPathChars; });
}

void CDefSetDlg::SetStringPath(std::string_view section, std::string_view key,
                               std::string_view info) {
    Register(section, key, kPropString, kInfoPath, info,
             [](CPropInfo& description) { description.m_nMaxChars = kPathChars; });
}

void CDefSetDlg::SetIntColor(std::string_view section, std::string_view key,
                             std::string_view info) {
    Register(section, key, kPropInt, kInfoColor, info, [](CPropInfo&) {});
}

void CDefSetDlg::SetIntCombo(std::string_view section, std::string_view key,
                             const std::vector<std::string>& texts, std::string_view info) {
    Register(section, key, kPropInt, kInfoCombo, info,
             [&](CPropInfo& description) { description.m_ComboList = texts; });
}

void CDefSetDlg::SetBool(std::string_view section, std::string_view key, std::string_view info) {
    Register(section, key, kPropBool, kInfoRange, info, [](CPropInfo&) {});
}

void CDefSetDlg::SetBlobFont(std::string_view section, std::string_view key,
                             std::string_view info) {
    Register(section, key, kPropBlob, kInfoFont, info, [](CPropInfo&) {});
}

void CDefSetDlg::SetBlobRaw(std::string_view section, std::string_view key, std::string_view info,
                            QWidget* pWnd) {
    if (pWnd == nullptr) {
        return;
    }
    Register(section, key, kPropBlob, kInfoRaw, info,
             [&](CPropInfo& description) { description.m_pWnd = pWnd; });
}

// Opening and closing --------------------------------------------------------------------

void CDefSetDlg::showEvent(QShowEvent* event) {
    // A spontaneous show event only restores a minimised window.
    if (!event->spontaneous()) {
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDefSetDlg::OnInitDialog() {
    m_hCurItem = nullptr;
    m_hasCurInfo = false;
    m_strSection.clear();
    m_strKey.clear();

    const QRect tree = m_Tree->geometry();
    const int clientHeight = height();
    // left, top, right, bottom as the edges of the area, right and bottom exclusive.
    m_rcPage = QRect(QPoint(tree.x() + tree.width() + 2, 2),
                     QPoint(width() - 2 - 1, 2 + 2 * (clientHeight / 3) - 1));

    setWindowTitle(DecodeText(m_strDlgTitle));
    ApplyLanguage();
    DisableAll();
    FillTree();
    if (QTreeWidgetItem* top = m_Tree->topLevelItem(0); top->childCount() > 0) {
        top->setExpanded(true);
    }
    m_Parameter->setGeometry(m_rcPage);
    m_PathTree->InitTree();
    m_bModified = false;
}

void CDefSetDlg::ApplyLanguage() {
    const DefSetTexts& texts = DefSetTextsFor(m_nLanguage);
    m_True->setText(Utf8(texts.yes));
    m_False->setText(Utf8(texts.no));
    m_Change->setText(Utf8(texts.change));
    m_ExpandAll->setText(Utf8(texts.expandAll));
    m_CollapsAll->setText(Utf8(texts.collapsAll));
    m_Cancel->setText(Utf8(texts.cancel));
}

void CDefSetDlg::accept() {
    if (!m_bModified || SaveValue()) {
        QDialog::accept();
        return;
    }
    // Selecting the top item and then the rejected key again shows the stored value.
    m_Tree->setCurrentItem(m_Tree->topLevelItem(0));
    m_Tree->setCurrentItem(m_hCurItem);
}

void CDefSetDlg::done(int result) {
    QDialog::done(result);
    m_InfoDb.DeleteAll();
    m_hCurItem = nullptr;
    m_hasCurInfo = false;
    m_bModified = false;
}

bool CDefSetDlg::event(QEvent* event) {
    if (event->type() == WM_DEFSET_ERROR) {
        OnError();
        return true;
    }
    return QDialog::event(event);
}

void CDefSetDlg::OnError() {
    if (m_hCurItem != nullptr) {
        m_Tree->setCurrentItem(m_hCurItem);
    }
}

// The key tree ---------------------------------------------------------------------------

void CDefSetDlg::FillTree() {
    m_Tree->clear();
    QTreeWidgetItem* top = AppendItem(*m_Tree, nullptr, m_strRootText, kClosedFolderImage,
                                      kClosedFolderImage, &m_ImageList);
    AppendKeys(top, {}, m_PropDb.GetDefaultSet());
    for (const auto& [name, set] : m_PropDb.GetSections()) {
        QTreeWidgetItem* section =
            AppendItem(*m_Tree, top, name, kClosedFolderImage, kClosedFolderImage, &m_ImageList);
        AppendKeys(section, name, *set);
    }
}

void CDefSetDlg::AppendKeys(QTreeWidgetItem* parent, std::string_view section,
                            const CPropSet& set) {
    for (const auto& [key, value] : set.GetValues()) {
        if (m_InfoDb.IsKey(section, key)) {
            const int image = KeyImage(section, key, value->m_nType);
            AppendItem(*m_Tree, parent, key, image, image, &m_ImageList);
        }
    }
    // Before any section is added under the top item, so sections always follow the keys.
    SortChildren(*parent);
}

int CDefSetDlg::KeyImage(std::string_view section, std::string_view key, int type) const {
    const CPropInfo* info = FindInfo(section, key);
    const ValueKind* kind = info != nullptr ? FindValueKind(*info) : nullptr;
    return kind != nullptr && kind->image != ValueKind::kImageOfStoredType ? kind->image
                                                                           : type + kFirstKeyImage;
}

namespace {

// The child of item named name that is a section (folder) or a key, as asked: a key of the
// default set may have the name of a section.
QTreeWidgetItem* FindChild(QTreeWidgetItem* item, std::string_view name, bool folder) {
    for (int i = 0; item != nullptr && i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (GetItemName(*child) == name && (GetItemImage(*child) < kFirstKeyImage) == folder) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

bool CDefSetDlg::SelectKey(std::string_view section, std::string_view key) {
    QTreeWidgetItem* parent = m_Tree->topLevelItem(0);
    if (!section.empty()) {
        parent = FindChild(parent, section, true);
    }
    QTreeWidgetItem* item = FindChild(parent, key, false);
    if (item == nullptr) {
        return false;
    }
    m_Tree->setCurrentItem(item);
    return true;
}

namespace {

bool IsBelow(const QTreeWidgetItem* item, const QTreeWidgetItem& folder) {
    for (; item != nullptr; item = item->parent()) {
        if (item->parent() == &folder) {
            return true;
        }
    }
    return false;
}

} // namespace

void CDefSetDlg::OnItemexpandedTree(QTreeWidgetItem* item) {
    const int image = GetItemImage(*item);
    if (image == kClosedFolderImage || image == kOpenFolderImage) {
        const int swapped = image == kClosedFolderImage ? kOpenFolderImage : kClosedFolderImage;
        SetItemImages(*item, swapped, swapped, &m_ImageList);
    }
    // As in the tree control of the system the format comes from, a folder closed over the
    // selected key takes the selection: a hidden key keeps no page, and its pending value is
    // saved or refused at once.
    if (!item->isExpanded() && IsBelow(m_Tree->currentItem(), *item)) {
        m_Tree->setCurrentItem(item);
    }
}

namespace {

// Visits every item depth first, each before its children, with a stack of its own rather
// than recursion, so that no depth of tree can exhaust the call stack.
template <class Visit>
void VisitItems(QTreeWidget& tree, Visit visit) {
    std::stack<QTreeWidgetItem*> pending;
    for (int i = tree.topLevelItemCount(); i-- > 0;) {
        pending.push(tree.topLevelItem(i));
    }
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.top();
        pending.pop();
        visit(*item);
        for (int i = item->childCount(); i-- > 0;) {
            pending.push(item->child(i));
        }
    }
}

} // namespace

void CDefSetDlg::OnExpandAll() {
    VisitItems(*m_Tree, [](QTreeWidgetItem& item) {
        if (item.childCount() > 0) {
            item.setExpanded(true);
        }
    });
}

void CDefSetDlg::OnCollapsAll() {
    VisitItems(*m_Tree, [](QTreeWidgetItem& item) {
        if (item.childCount() > 0) {
            item.setExpanded(false);
        }
    });
}

// Pages ----------------------------------------------------------------------------------

void CDefSetDlg::OnSelchangedTree() {
    m_Color = kLightGrey;
    ShowColor();
    QTreeWidgetItem* item = m_Tree->currentItem();
    if (item == nullptr) {
        return;
    }
    if (m_bModified && !SaveValue()) {
        QCoreApplication::postEvent(this, new QEvent(WM_DEFSET_ERROR));
        return;
    }
    if (GetItemImage(*item) < kFirstKeyImage) {
        DisableAll();
        m_bModified = false;
        return;
    }
    const QTreeWidgetItem* parent = item->parent();
    m_strKey = GetItemName(*item);
    m_strSection = parent == nullptr || parent == m_Tree->topLevelItem(0) ? std::string()
                                                                          : GetItemName(*parent);
    m_hCurItem = item;
    DisableAll();
    m_hasCurInfo = false;
    const CPropInfo* info = FindInfo(m_strSection, m_strKey);
    if (info == nullptr) {
        m_bModified = false;
        return;
    }
    ShowPage(*info);
    m_Info->setText(FieldText(info->m_strInfo));
    m_hasCurInfo = true;
    // Filling the fields raised it.
    m_bModified = false;
}

void CDefSetDlg::ShowPage(const CPropInfo& info) {
    m_Parameter->setEnabled(true);
    const ValueKind* kind = FindValueKind(info);
    if (kind == nullptr) {
        return;
    }
    ValuePage page = Page();
    kind->fill(page, info);
    m_Parameter->setTitle(QString::fromLatin1(kind->caption));
    kind->show(page);
}

ValuePage CDefSetDlg::Page() {
    return {*this,
            m_nLanguage,
            m_PropDb,
            m_strSection,
            m_strKey,
            *m_IntCombo,
            *m_IntValue,
            *m_FloatValue,
            *m_TextValue,
            *m_PathTree,
            *m_True,
            *m_False,
            *m_Change,
            *m_Range,
            *m_Example,
            m_Color,
            m_Font,
            m_bModified,
            [this](QWidget& widget, int offset) {
                widget.setEnabled(true);
                widget.show();
                CenterControl(widget, offset);
            },
            [this] { ShowColor(); }};
}

void CDefSetDlg::CenterControl(QWidget& wnd, int nOffset) {
    const int w = wnd.width();
    const int h = wnd.height();
    const int left = m_rcPage.left();
    const int top = m_rcPage.top();
    const int right = m_rcPage.right() + 1;
    const int bottom = m_rcPage.bottom() + 1;
    const int x = (right - left) / 2 - w / 2 + left;
    const int y = (bottom - top) / 2 + top - h / 2 + DialogUnits(font()).Offset(nOffset);
    wnd.move(x, y);
}

void CDefSetDlg::DisableAll() {
    m_Parameter->setEnabled(false);
    m_Parameter->setTitle(QStringLiteral("Parameter"));
    // An exclusive group never lets its last checked button go.
    m_YesNo->setExclusive(false);
    for (QPushButton* button : {m_True, m_False}) {
        button->setChecked(false);
        Hide(*button);
    }
    m_YesNo->setExclusive(true);
    for (QLineEdit* field : {m_IntValue, m_FloatValue}) {
        field->clear();
        Hide(*field);
    }
    m_IntCombo->clear();
    Hide(*m_IntCombo);
    m_Range->clear();
    m_Range->hide();
    m_TextValue->SetText({});
    Hide(*m_TextValue);
    m_TextValue->setReadOnly(false);
    Hide(*m_PathTree);
    Hide(*m_Change);
    m_Example->clear();
    m_Example->hide();
    m_Info->clear();
}

void CDefSetDlg::ShowColor() {
    SetFill(*m_Example, ToQColor(m_Color));
    m_Example->update();
}

void CDefSetDlg::OnChangeValue() {
    m_bModified = true;
}

const CPropInfo* CDefSetDlg::FindInfo(std::string_view section, std::string_view key) const {
    return dynamic_cast<const CPropInfo*>(m_InfoDb.ReadPropObj(section, key));
}

const CPropInfo* CDefSetDlg::CurrentInfo() const {
    return m_hasCurInfo ? FindInfo(m_strSection, m_strKey) : nullptr;
}

// Choosers -------------------------------------------------------------------------------

void CDefSetDlg::OnChange() {
    const CPropInfo* info = CurrentInfo();
    const ValueKind* kind = info != nullptr ? FindValueKind(*info) : nullptr;
    if (kind != nullptr && kind->change != nullptr) {
        ValuePage page = Page();
        kind->change(page, *info);
    }
}

// Saving ---------------------------------------------------------------------------------

bool CDefSetDlg::SaveValue() {
    const CPropInfo* info = CurrentInfo();
    const int stored = m_PropDb.GetType(m_strSection, m_strKey);
    // Nothing to write over: no key current, the key gone meanwhile, or an object.
    if (stored == kPropNone || stored == kPropObj) {
        m_bModified = false;
        return true;
    }
    // The page shows the description's kind even when the stored value has another kind;
    // what the user edited is what gets written. Without a description the stored kind is
    // written unchecked.
    const ValueKind* kind =
        info != nullptr ? FindValueKind(*info) : FindValueKind(stored, kInfoRange);
    ValuePage page = Page();
    const bool valid = kind == nullptr || kind->save(page, info);
    if (!valid) {
        DoInvalid(kind->rangeError(DefSetTextsFor(m_nLanguage), *info));
    }
    m_bModified = false;
    return valid;
}

void CDefSetDlg::DoInvalid(const QString& text) {
    const DefSetTexts& texts = DefSetTextsFor(m_nLanguage);
    QMessageBox box(QMessageBox::Critical, Utf8(texts.errorCaption), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("invalidValueMessage"));
    box.exec();
    m_bModified = false;
}

} // namespace kestrum
