#pragma once

#include "model/rendersettings.h"

#include <QComboBox>

class QPainter;

namespace orvo {

// The colour selector of the main window: a drop-down list of the 16 colours of the standard
// palette, drawn as swatches without text. Each item's data is its colour as a COLORREF.
class CColorCombo : public QComboBox {
    Q_OBJECT

public:
    explicit CColorCombo(QWidget* parent = nullptr);

    // Selects the first item of colour and returns its index; -1 leaves the selection as it
    // was when no item has that colour.
    int SelectColor(COLORREF colour);
    COLORREF GetItemColor(int index) const;

    // One swatch on rect: the colour filled one pixel inside a white frame, the frame black
    // when selected, and the focus rectangle on it when focused. Nothing for an index outside
    // the palette.
    static void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected,
                         bool focused);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace orvo
