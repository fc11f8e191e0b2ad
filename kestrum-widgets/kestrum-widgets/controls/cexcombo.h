#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QStyle>

#include <array>
#include <cstdint>

namespace kestrum {

// Bits of an item's status byte; a status byte may hold both.
inline constexpr std::uint8_t EXCOMBO_DISABLED = 0x01; // drawn grey, cannot be chosen
inline constexpr std::uint8_t EXCOMBO_BOLD = 0x02;     // drawn in the bold version of the font

// A drop-down list that draws its items itself and keeps, for each of its first 1024 items, a
// status byte and a pair of colours. A disabled item cannot be chosen: when the user lands on
// one, the selection moves on to the nearest enabled item in the direction of the last arrow
// key, or back to the last accepted item, and the list opens (stays open) again.
//
// The per-item tables are indexed by position and never move or reset: set statuses and
// colours after the items are in place. Setters do not repaint; call update() when the change
// should show at once. Item texts are the combo box's own copies (addItem, insertItem).
//
// How the events of the list map onto Qt:
// - a selection change by the user runs OnSelchange: activated() of the combo box (keys and
//   wheel on the closed control, a click or Return in the list, which closes it), and each arrow
//   key in the open list, which the control handles itself;
// - gaining focus runs OnSetfocus (focusInEvent);
// - key presses run OnKeyDown, on the control and in the open list.
// A refusal selects its target with setCurrentIndex, so currentIndexChanged() always ends on
// the item that holds the selection; activated() may name a refused item.
class KESTRUM_WIDGETS_EXPORT CExCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kItemLimit = 1024;

    explicit CExCombo(QWidget* parent = nullptr);

    // For 0 <= index < 1024: sets (set true) or clears the bits of mask; other indexes: nothing.
    void SetStatus(int index, std::uint8_t mask, bool set);
    // 1 when every bit of mask is set in the item's status byte; 0 outside 0..1023.
    int GetStatus(int index, std::uint8_t mask) const;
    // Clears (enable true) or sets EXCOMBO_DISABLED of one item, or of every item now in the
    // list for index -1.
    void EnableItem(int index, bool enable);
    // Sets (bold true) or clears EXCOMBO_BOLD, as EnableItem.
    void SetItemBold(int index, bool bold);
    // One item's colours, or every item's now in the list (at most 1024) for index -1.
    void SetItemTextColor(int index, const QColor& color);
    void SetItemBkColor(int index, const QColor& color);
    void EnableOwnColors(bool enable);

    // Heights taken from the font: the selection field is as high as a line plus its internal
    // leading, each item of the list as high as a line.
    int SelectionFieldHeight() const;
    int ListItemHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Draws item index (-1: the empty selection field) into rect, the state holding
    // State_Selected, State_HasFocus and State_Enabled (of the whole control).
    void DrawItem(QPainter& painter, const QRect& rect, int index, QStyle::State state) const;

protected:
    // The enabled position to move to from the disabled position pos.
    int GetFreePos(int pos) const;

    void OnSelchange();
    void OnSetfocus();
    void OnKeyDown(int key);

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class Apply>
    void ForItems(int index, Apply apply);
    bool IsItemDisabled(int index) const;
    void UpdateFonts();
    QSize FramedSize(QSize contents) const;
    bool HandleListKey(const QKeyEvent& event);
    void SelectInList(int index);

    std::array<std::uint8_t, kItemLimit> m_Status{};
    // Positions, not bytes: a list may have more than 256 items.
    int m_nLastSel = 0;
    // Qt::Key_Up, Qt::Key_Down or 0.
    int m_nLastKey = 0;
    QFont m_BoldFont;
    bool m_bOwnColors = false;
    std::array<QColor, kItemLimit> m_BkColor;
    std::array<QColor, kItemLimit> m_TextColor;
};

} // namespace kestrum
