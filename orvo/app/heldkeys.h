#pragma once

#include "keyrepeat.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>

namespace orvo {

// The keys held down now, whichever widget their events are for: it watches the key events of
// the whole application while it lives (during a run the main window is disabled and takes no
// input, yet the run asks for Escape). A key held down repeats its press. Repeats that reach
// another window than the one the key went down in, or a window that a run gives back, would
// act without the user meaning them: they do nothing until the key is pressed anew.
class HeldKeys : public QObject {
    Q_OBJECT

public:
    explicit HeldKeys(QObject* parent = nullptr);
    ~HeldKeys() override;

    bool IsHeld(Qt::Key key) const;

    // The repeats of every key held now do nothing from now on.
    void IgnoreRepeatsOfHeldKeys();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps track of the key that reached the window; true when the event is a repeat to
    // drop.
    bool Follow(QEvent::Type type, const QKeyEvent& key, const QWidget* window);

    struct Key {
        int qtKey = 0;
        bool down = false;
        // The period the key last went down in: its repeats act only within it.
        unsigned period = 0;
        // The window it went down in: its repeats act only there. The window system tells
        // that the focus moved only after the first repeats have reached the window below a
        // dialog the key closed; a window that is gone leaves the repeats nowhere to act.
        QPointer<const QWidget> window;
    };
    std::map<KeyRepeat::KeyId, Key> m_keys;
    // Keys never seen going down belong to period 0, before every other.
    unsigned m_period = 1;
    KeyRepeat m_repeat;
};

} // namespace orvo
