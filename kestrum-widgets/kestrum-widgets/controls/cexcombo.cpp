#include "kestrum-widgets/controls/cexcombo.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kestrum {

namespace {

// The list's items are drawn by the control, as high as one line of its font.
class CExComboDelegate : public QStyledItemDelegate {
public:
    explicit CExComboDelegate(CExCombo& combo)
        : QStyledItemDelegate(&combo)
        , m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyle::State state = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
        if (m_combo.isEnabled()) {
            state |= QStyle::State_Enabled;
        }
        m_combo.DrawItem(*painter, option.rect, index.row(), state);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool bold = m_combo.GetStatus(index.row(), EXCOMBO_BOLD) != 0;
        QFont font = m_combo.font();
        font.setBold(bold);
        const int width = QFontMetrics(font).horizontalAdvance(index.data().toString());
        return {std::max(width, option.rect.width()), m_combo.ListItemHeight()};
    }

private:
    CExCombo& m_combo;
};

std::uint8_t WithBits(std::uint8_t status, std::uint8_t mask, bool set) {
    return static_cast<std::uint8_t>(set ? status | mask : status & ~mask);
}

// The part of a line's height above the em square: accents of capitals live there.
int InternalLeading(const QFont& font) {
    return std::max(0, QFontMetrics(font).height() - QFontInfo(font).pixelSize());
}

} // namespace

CExCombo::CExCombo(QWidget* parent)
    : QComboBox(parent) {
    m_BkColor.fill(QColor(255, 255, 255));
    m_TextColor.fill(QColor(0, 0, 0));
    setItemDelegate(new CExComboDelegate(*this));
    // Installed after the list's own container has installed its filter, so this one runs first.
    view()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &CExCombo::OnSelchange);
    UpdateFonts();
}

void CExCombo::SetStatus(int index, std::uint8_t mask, bool set) {
    if (index < 0 || index >= kItemLimit) {
        return;
    }
    auto& status = m_Status[static_cast<std::size_t>(index)];
    status = WithBits(status, mask, set);
}

int CExCombo::GetStatus(int index, std::uint8_t mask) const {
    if (index < 0 || index >= kItemLimit) {
        return 0;
    }
    return (m_Status[static_cast<std::size_t>(index)] & mask) == mask ? 1 : 0;
}

template <class Apply>
void CExCombo::ForItems(int index, Apply apply) {
    if (index == -1) {
        for (int i = 0; i < std::min(count(), kItemLimit); ++i) {
            apply(static_cast<std::size_t>(i));
        }
    } else if (index >= 0 && index < kItemLimit) {
        apply(static_cast<std::size_t>(index));
    }
}

void CExCombo::EnableItem(int index, bool enable) {
    ForItems(index, [&](std::size_t i) {
        m_Status[i] = WithBits(m_Status[i], EXCOMBO_DISABLED, !enable);
    });
}

void CExCombo::SetItemBold(int index, bool bold) {
    ForItems(index,
             [&](std::size_t i) { m_Status[i] = WithBits(m_Status[i], EXCOMBO_BOLD, bold); });
}

void CExCombo::SetItemTextColor(int index, const QColor& color) {
    ForItems(index, [&](std::size_t i) { m_TextColor[i] = color; });
}

void CExCombo::SetItemBkColor(int index, const QColor& color) {
    ForItems(index, [&](std::size_t i) { m_BkColor[i] = color; });
}

void CExCombo::EnableOwnColors(bool enable) {
    m_bOwnColors = enable;
}

int CExCombo::SelectionFieldHeight() const {
    return QFontMetrics(font()).height() + InternalLeading(font());
}

int CExCombo::ListItemHeight() const {
    return QFontMetrics(font()).height();
}

QSize CExCombo::FramedSize(QSize contents) const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this);
}

QSize CExCombo::sizeHint() const {
    const QSize size = QComboBox::sizeHint();
    return {size.width(), FramedSize({size.width(), SelectionFieldHeight()}).height()};
}

QSize CExCombo::minimumSizeHint() const {
    const QSize size = QComboBox::minimumSizeHint();
    return {size.width(), FramedSize({size.width(), SelectionFieldHeight()}).height()};
}

bool CExCombo::IsItemDisabled(int index) const {
    return GetStatus(index, EXCOMBO_DISABLED) != 0;
}

void CExCombo::DrawItem(QPainter& painter, const QRect& rect, int index,
                        QStyle::State state) const {
    const QString text = index >= 0 && index < count() ? itemText(index) : QString();
    // The per-item rows of the table apply to the first 1024 positions only.
    const bool tabled = index >= 0 && index < kItemLimit;
    const auto item = static_cast<std::size_t>(std::clamp(index, 0, kItemLimit - 1));
    const bool itemDisabled = IsItemDisabled(index);
    const bool ownColors = tabled && m_bOwnColors;

    const QPalette& colors = palette();
    const QColor window = colors.color(QPalette::Active, QPalette::Base);
    const QColor grey = colors.color(QPalette::Disabled, QPalette::Text);
    QColor background = window;
    QColor foreground = colors.color(QPalette::Active, QPalette::Text);
    if (state & QStyle::State_Selected) {
        if (itemDisabled) {
            foreground = grey;
        } else if (ownColors) { // exchanged, so that the selection shows
            background = m_TextColor[item];
            foreground = m_BkColor[item];
        } else {
            background = colors.color(QPalette::Active, QPalette::Highlight);
            foreground = colors.color(QPalette::Active, QPalette::HighlightedText);
        }
    } else if (!(state & QStyle::State_Enabled)) {
        background = colors.color(QPalette::Active, QPalette::Button);
        foreground = grey;
    } else if (itemDisabled) {
        foreground = grey;
    } else if (ownColors) {
        background = m_BkColor[item];
        foreground = m_TextColor[item];
    }

    painter.save();
    painter.setFont(GetStatus(index, EXCOMBO_BOLD) != 0 ? m_BoldFont : font());
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, background);
    painter.setPen(foreground);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();

    if (state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

int CExCombo::GetFreePos(int pos) const {
    if (m_nLastKey == Qt::Key_Up) {
        for (int p = pos; p >= 0; --p) {
            if (!IsItemDisabled(p)) {
                return p;
            }
        }
    } else if (m_nLastKey == Qt::Key_Down) {
        for (int p = pos; p < count(); ++p) {
            if (!IsItemDisabled(p)) {
                return p;
            }
        }
    }
    return m_nLastSel;
}

void CExCombo::OnSelchange() {
    const int pos = currentIndex();
    if (!IsItemDisabled(pos)) {
        m_nLastSel = pos;
        return;
    }
    SelectInList(m_nLastKey != 0 ? GetFreePos(pos) : m_nLastSel);
    if (!view()->isVisible()) {
        showPopup();
    }
    m_nLastKey = 0;
}

void CExCombo::OnSetfocus() {
    m_nLastSel = currentIndex();
}

void CExCombo::OnKeyDown(int key) {
    m_nLastKey = key == Qt::Key_Up || key == Qt::Key_Down ? key : 0;
}

void CExCombo::SelectInList(int index) {
    setCurrentIndex(index);
    view()->setCurrentIndex(model()->index(index, modelColumn(), rootModelIndex()));
}

void CExCombo::keyPressEvent(QKeyEvent* event) {
    OnKeyDown(event->key());
    // The extended interface: the down-arrow key opens the list rather than stepping on.
    if (event->key() == Qt::Key_Down && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
        showPopup();
        return;
    }
    QComboBox::keyPressEvent(event);
}

// In the open list each arrow key moves the selection by one item, and a selection that
// lands on a disabled item is refused at once, as it is on the closed control.
bool CExCombo::HandleListKey(const QKeyEvent& event) {
    OnKeyDown(event.key());
    if (m_nLastKey == 0 || (event.modifiers() & ~Qt::KeypadModifier) != 0) {
        return false;
    }
    const int pos = view()->currentIndex().row() + (m_nLastKey == Qt::Key_Up ? -1 : 1);
    if (pos >= 0 && pos < count()) {
        SelectInList(pos);
        OnSelchange();
    }
    return true;
}

bool CExCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::KeyPress) {
        return HandleListKey(static_cast<const QKeyEvent&>(*event));
    }
    return QComboBox::eventFilter(watched, event);
}

void CExCombo::focusInEvent(QFocusEvent* event) {
    // Closing the list gives the focus back without the control having lost it.
    if (event->reason() != Qt::PopupFocusReason) {
        OnSetfocus();
    }
    QComboBox::focusInEvent(event);
}

void CExCombo::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    QStyle::State state = isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
    if (hasFocus()) {
        state |= QStyle::State_Selected | QStyle::State_HasFocus;
    }
    DrawItem(painter, field, currentIndex(), state);
}

void CExCombo::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        UpdateFonts();
    }
    QComboBox::changeEvent(event);
}

void CExCombo::UpdateFonts() {
    m_BoldFont = font();
    m_BoldFont.setWeight(QFont::Bold);
    updateGeometry();
}

} // namespace kestrum
