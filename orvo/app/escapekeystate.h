#pragma once

#include <QObject>

namespace orvo {

// Whether the Escape key is held down now, not whether it was pressed: a run asks once per
// subtitle. It watches the key events of the whole application while it lives, whichever
// widget they are for (during a run the main window is disabled and takes no input).
class EscapeKeyState : public QObject {
    Q_OBJECT

public:
    explicit EscapeKeyState(QObject* parent = nullptr);
    ~EscapeKeyState() override;

    bool IsDown() const { return m_down; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_down = false;
};

} // namespace orvo
