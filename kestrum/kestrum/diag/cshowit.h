#pragma once

#include <kestrum/diag/tracechannel.h>
#include <kestrum/kestrum_export.h>

#include <array>
#include <cstdint>

namespace kestrum {

class CObject;

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Sends trace messages to the viewer "Lumbex" (see tracechannel.h) and measures elapsed time.
// Output is fire and forget: a message for a viewer that is missing or too busy to take it is
// dropped, and no call ever waits for the viewer or reports an error.
//
// When no viewer answers at construction, the command under Path in section [Lumbex] of
// kestrum.ini in the user's configuration folder is started, so that the viewer comes up for
// the messages that follow.
class KESTRUM_EXPORT CShowIt {
public:
    CShowIt();
    CShowIt(const CShowIt&) = delete;
    CShowIt& operator=(const CShowIt&) = delete;
    ~CShowIt();

    // printf rules; a message longer than kTraceBufferSize - 1 bytes is cut.
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // "text L:left, T:top, R:right, B:bottom"
    void Trace(const RECT& rect, const char* text);
    // The value in decimal and a line feed.
    void Trace(int value);

    // Sends text, where "%%" stands for one percent sign; every other byte, a lone percent sign
    // included, is sent as it is. Then starts the clock for EndTiming.
    void StartTiming(const char* text);
    // Sends "N \xB5Sec. text", N the whole microseconds since the latest StartTiming (since
    // construction when there was none).
    void EndTiming(const char* text);

    // Stored only: nothing reads it, so the time text never carries a name.
    void ShowName(int show);
    // Sends nothing: objects have no dump format.
    void DumpObject(CObject* object);

private:
    static std::int64_t ReadCounter();
    void Send();
    void ReplaceMapping(int mapping, void* view);

    std::array<char, kTraceBufferSize> m_buffer{};
    // Counts per second of ReadCounter's clock.
    std::int64_t m_frequency;
    std::int64_t m_startCount;
    std::int64_t m_endCount;
    std::int64_t m_elapsedMicroseconds = 0;
    // The latest message's shared-memory object: its descriptor and its writable view, kept
    // until the next message or the destructor.
    int m_mapping = -1;
    void* m_view = nullptr;
    int m_showName = 0;
};

} // namespace kestrum
