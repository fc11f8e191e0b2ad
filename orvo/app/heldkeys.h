#pragma once

#include <QEvent>
#include <QObject>

#include <map>
#include <set>

class QKeyEvent;

namespace orvo {

// The keys held down now, whichever widget their events are for: it watches the key events of
// the whole application while it lives (during a run the main window is disabled and takes no
// input, yet the run asks for Escape). A key held down repeats its press. Repeats that reach
// another window than the one the key went down in, or a window that a run gives back, would
// act without the user meaning them: they do nothing until the key is released.
class HeldKeys : public QObject {
    Q_OBJECT

public:
    explicit HeldKeys(QObject* parent = nullptr);
    ~HeldKeys() override;

    bool IsHeld(Qt::Key key) const;

    // The repeats of every key held now do nothing from now on, until the key is released.
    void IgnoreRepeatsOfHeldKeys();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps track of the key; true when the event is a repeat to drop.
    bool Follow(QEvent::Type type, const QKeyEvent& key);

    // The physical key where the platform names it, so that a key released with other
    // modifiers than it went down with is still let go; otherwise the Qt key.
    using KeyId = unsigned long long;
    static KeyId IdOf(const QKeyEvent& key);

    std::map<KeyId, int> m_held; // each with its Qt key
    std::set<KeyId> m_ignored;
};

} // namespace orvo
