#include "kestrum-widgets/controls/csymdisplay.h"

#include "kestrum-widgets/common/cimagelist.h"
#include "kestrum-widgets/controls/roundrect.h"

#include <QPainter>
#include <QRegion>

namespace kestrum {

CSymDisplay::CSymDisplay(QWidget* parent)
    : QWidget(parent) {}

void CSymDisplay::SetBkColor(const QColor& color) {
    m_bkColor = color;
    update();
}

void CSymDisplay::SetRound(int size) {
    m_round = size;
    update();
}

void CSymDisplay::SetImageList(const CImageList* images) {
    m_imageList = images;
    update();
}

const CImageList* CSymDisplay::GetImageList() const {
    return m_imageList;
}

void CSymDisplay::SetSymbol(int index, bool redraw) {
    if (!IsValidSymbol(index)) {
        return;
    }
    m_symbol = index;
    if (redraw) {
        update();
    }
}

int CSymDisplay::GetSymbol() const {
    return m_symbol;
}

bool CSymDisplay::IsValidSymbol(int index) const {
    return m_imageList != nullptr && index >= 0 && index < m_imageList->GetImageCount() - 1;
}

void CSymDisplay::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawFrame(painter);
    if (IsValidSymbol(m_symbol)) {
        CenterControl(painter);
    }
}

// A grey outline, then a white one clipped away from the top two rows and the left three
// columns: white shows at the right and bottom only, the sunken look. The clipping stays for
// the symbol too.
void CSymDisplay::DrawFrame(QPainter& painter) const {
    const QRect client = rect();
    painter.setBrush(m_bkColor);
    painter.setPen(QColor(128, 128, 128));
    DrawRoundRect(painter, client, m_round, m_round);

    QRegion clip(client);
    clip -= QRect(client.left(), client.top(), client.width(), 2);
    clip -= QRect(client.left(), client.top(), 3, client.height());
    painter.setClipRegion(clip);
    painter.setPen(QColor(255, 255, 255));
    DrawRoundRect(painter, client, m_round, m_round);
}

void CSymDisplay::CenterControl(QPainter& painter) const {
    const QPixmap symbol = m_imageList->GetImage(m_symbol);
    const QRect client = rect();
    painter.drawPixmap(client.width() / 2 - symbol.width() / 2 + client.left(),
                       client.height() / 2 - symbol.height() / 2 + client.top(), symbol);
}

} // namespace kestrum
