#include "kestrum-widgets/controls/cstatusbutton.h"

#include "kestrum-widgets/controls/roundrect.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <algorithm>

namespace kestrum {

namespace {

constexpr int kCornerEllipse = 10;

QFont ButtonFont() {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

CStatusButton::CStatusButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
    , m_font(ButtonFont())
    , m_onText(text)
    , m_offText(text)
    , m_flashTimer(new QTimer(this)) {
    m_flashTimer->setObjectName("flashTimer");
    setFont(m_font);
    connect(this, &QPushButton::clicked, this, &CStatusButton::OnClicked);
    connect(m_flashTimer, &QTimer::timeout, this, &CStatusButton::OnTimer);
}

void CStatusButton::SetTextColor(const QColor& color) {
    m_textColor = color;
}

void CStatusButton::SetBkOnColor(const QColor& color) {
    m_onColor = color;
}

void CStatusButton::SetBkOffColor(const QColor& color) {
    m_offColor = color;
}

void CStatusButton::SetButtonOn(int on) {
    m_on = on;
    repaint();
}

int CStatusButton::IsButtonOn() const {
    return m_on;
}

void CStatusButton::SetCheck(int check) {
    m_on = check != 0 ? 1 : 0;
}

int CStatusButton::GetCheck() const {
    return m_on != 0 ? 1 : 0;
}

void CStatusButton::SetOnText(const QString& text) {
    m_onText = text;
    updateGeometry();
    repaint();
}

void CStatusButton::SetOffText(const QString& text) {
    m_offText = text;
    updateGeometry();
    repaint();
}

void CStatusButton::SetWindowText(const QString& text) {
    SetOnText(text);
    SetOffText(text);
    setText(text);
}

void CStatusButton::SetFlashTime(int milliseconds) {
    m_flashTime = milliseconds;
}

void CStatusButton::Flash(bool start) {
    if (start == m_flashing) {
        return;
    }
    m_flashing = start;
    if (start) {
        m_flashTimer->start(m_flashTime);
    } else {
        m_flashTimer->stop();
        setText(StateText());
        m_textShown = true;
    }
}

void CStatusButton::Show(bool show) {
    setVisible(show);
}

void CStatusButton::OnClicked() {
    m_on = m_on == 0 ? 1 : 0;
    repaint();
}

void CStatusButton::OnTimer() {
    m_textShown = !m_textShown;
    setText(m_textShown ? StateText() : QString());
}

const QString& CStatusButton::StateText() const {
    return m_on != 0 ? m_onText : m_offText;
}

// As wide as the longer state text, so that flashing and switching never resize the button.
QSize CStatusButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const QSize text(
        std::max(metrics.horizontalAdvance(m_onText), metrics.horizontalAdvance(m_offText)),
        metrics.height());
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, text, this);
}

void CStatusButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect plate = rect().adjusted(1, 1, -1, -1);
    DrawPlate(painter, plate);
    // The flashing shows as the text going away while the window text is empty.
    if (!(m_flashing && text().isEmpty())) {
        DrawText(painter, plate);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = plate.adjusted(3, 3, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// Raised (off): white edge at top and left, black at bottom and right; sunken (on): the other
// way round. The outline shifted up and left is drawn last, over the other one; a disabled
// button shows that outline alone.
void CStatusButton::DrawPlate(QPainter& painter, const QRect& plate) const {
    const bool on = m_on != 0;
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    painter.setBrush(on ? m_onColor : m_offColor);
    if (isEnabled()) {
        painter.setPen(on ? white : black);
        DrawRoundRect(painter, plate, kCornerEllipse, kCornerEllipse);
    }
    painter.setPen(on ? black : white);
    DrawRoundRect(painter, plate.translated(-1, -1), kCornerEllipse, kCornerEllipse);
}

// The text block is measured, then placed one pixel up and left of the plate's centre.
void CStatusButton::DrawText(QPainter& painter, const QRect& plate) const {
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const QSize size = painter.fontMetrics()
                           .boundingRect(QRect(0, 0, plate.width(), 0), flags, StateText())
                           .size();
    const QRect block(plate.left() + (plate.width() - size.width()) / 2 - 1,
                      plate.top() + (plate.height() - size.height()) / 2 - 1, size.width(),
                      size.height());
    painter.setPen(m_textColor);
    painter.drawText(block, flags, StateText());
}

} // namespace kestrum
