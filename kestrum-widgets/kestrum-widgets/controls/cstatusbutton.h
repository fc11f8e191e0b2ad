#pragma once

#include <kestrum/kestrum_widgets_export.h>

#include <QColor>
#include <QFont>
#include <QPushButton>
#include <QString>

class QTimer;

namespace kestrum {

// A push button with two states, on and off. Each click flips the state; each state has its
// own text and plate colour, and the button is drawn as a rounded plate, raised when off and
// sunken when on. It can flash: a timer alternates the window text (text()) between the text
// of the state and nothing, and while it is nothing the plate shows no text.
//
// Clicks and double clicks (the button's own clicked()) run OnClicked, and the timer, a child
// named "flashTimer", runs OnTimer. The button reports nothing else: a parent reads the state
// with IsButtonOn or GetCheck.
class KESTRUM_WIDGETS_EXPORT CStatusButton : public QPushButton {
    Q_OBJECT

public:
    // text is the text of both states until SetOnText or SetOffText change one.
    explicit CStatusButton(const QString& text = QString(), QWidget* parent = nullptr);

    // The colour of both texts; no repaint.
    void SetTextColor(const QColor& color);
    // Plate colours; no repaint.
    void SetBkOnColor(const QColor& color);
    void SetBkOffColor(const QColor& color);

    // Stores on as it is (IsButtonOn gives it back unchanged) and repaints at once.
    void SetButtonOn(int on);
    int IsButtonOn() const;
    // Stores 1 for any nonzero check, 0 otherwise, without a repaint.
    void SetCheck(int check);
    // 1 when the button is on, else 0.
    int GetCheck() const;

    // Each repaints at once.
    void SetOnText(const QString& text);
    void SetOffText(const QString& text);
    // Both state texts, then the window text.
    void SetWindowText(const QString& text);

    // Period of the flashing in milliseconds, from the next start on.
    void SetFlashTime(int milliseconds);
    // Starts or stops flashing; asking for what is already so does nothing. Stopping shows the
    // text of the current state again.
    void Flash(bool start);
    void Show(bool show);

    // Flips the state and repaints at once.
    void OnClicked();
    // One flash step: the window text alternates between the state's text and nothing.
    void OnTimer();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QString& StateText() const;
    void DrawPlate(QPainter& painter, const QRect& plate) const;
    void DrawText(QPainter& painter, const QRect& plate) const;

    QFont m_font;
    QColor m_textColor{0, 0, 0};
    QColor m_onColor{255, 255, 0};
    QColor m_offColor{128, 128, 0};
    int m_on = 0;
    bool m_flashing = false;
    bool m_textShown = true;
    int m_flashTime = 500;
    QString m_onText;
    QString m_offText;
    QTimer* m_flashTimer;
};

} // namespace kestrum
