#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <QColor>
#include <QWidget>

namespace kestrum {

class CImageList;

// A sunken rounded plate in a background colour showing one symbol of an image list, centred.
// The last image of a list is never shown: a symbol index is valid when a list is attached,
// the index is at least 0 and below the list's count minus 1.
class KESTRUM_WIDGETS_EXPORT CSymDisplay : public QWidget {
    Q_OBJECT

public:
    explicit CSymDisplay(QWidget* parent = nullptr);

    // Each repaints later.
    void SetBkColor(const QColor& color);
    // Width and height of the ellipse that rounds the corners, in pixels.
    void SetRound(int size);
    // Attaches the source of the symbols; not owned, it must outlive the control or be
    // replaced first. The symbol index stays as it is and shows when it is valid for the list.
    void SetImageList(const CImageList* images);
    const CImageList* GetImageList() const;

    // Takes index when it is valid, and then repaints later when redraw is set; otherwise
    // nothing changes.
    void SetSymbol(int index, bool redraw);
    // -1 for none.
    int GetSymbol() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsValidSymbol(int index) const;
    void DrawFrame(QPainter& painter) const;
    void CenterControl(QPainter& painter) const;

    QColor m_bkColor{0, 0, 0};
    const CImageList* m_imageList = nullptr;
    int m_round = 5;
    int m_symbol = -1;
};

} // namespace kestrum
