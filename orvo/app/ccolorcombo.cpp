#include "ccolorcombo.h"

#include "focusrect.h"
#include "render/palette.h"

#include <kestrum-gui/colorref.h>

#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace orvo {

namespace {

constexpr int kColorRole = Qt::UserRole;

class SwatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        CColorCombo::DrawItem(*painter, option.rect, index.row(),
                              option.state.testFlag(QStyle::State_Selected),
                              option.state.testFlag(QStyle::State_HasFocus));
    }
};

} // namespace

CColorCombo::CColorCombo(QWidget* parent)
    : QComboBox(parent) {
    setItemDelegate(new SwatchDelegate(this));
    // The text is never shown; the items are told apart by their data.
    for (const std::uint32_t rgb : kStandardPalette) {
        // The palette holds pixels (0x00RRGGBB); the items hold stored colours.
        addItem(QStringLiteral("x"),
                QVariant::fromValue(kestrum::ToColorRef(QColor::fromRgb(rgb))));
    }
}

int CColorCombo::SelectColor(COLORREF colour) {
    for (int i = 0; i < count(); ++i) {
        if (GetItemColor(i) == colour) {
            setCurrentIndex(i);
            return i;
        }
    }
    return -1;
}

COLORREF CColorCombo::GetItemColor(int index) const {
    return itemData(index, kColorRole).value<COLORREF>();
}

void CColorCombo::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected,
                           bool focused) {
    if (index < 0 || index >= static_cast<int>(kStandardPalette.size())) {
        return;
    }
    const QRect frame = rect.adjusted(0, 0, -1, -1);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect.adjusted(1, 1, -1, -1), QColor::fromRgb(kStandardPalette[index]));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(selected ? Qt::black : Qt::white);
    painter.drawRect(frame);
    painter.restore();
    if (focused) {
        DrawFocusRect(painter, rect);
    }
}

// The closed list shows the current swatch in the field, selected and focused while the
// combo has the focus.
void CColorCombo::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, currentIndex(), hasFocus(), hasFocus());
}

} // namespace orvo
