#pragma once

#include "input/subtitlelist.h"
#include "output/runoutput.h"

#include <QImage>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace orvo {

// A worker costs a canvas and a set of fonts; more than this would only cost memory.
constexpr int kMaxJobs = 64;

// How many subtitles a run draws at once: jobs asked for, or one per core when 0.
int RunJobs(int requested);

// Hands a run's subtitles to encoders and gives the results back in the order of the store.
// With one job each subtitle is drawn when Next asks for it, on the calling thread, with the
// run's renderer on the run's canvas. With more, the calling thread and workers, one fewer
// than the jobs, each draw with their own fonts on their own canvas (the calling thread on the
// run's when no one is shown it), a few subtitles at most ahead of the one Next gives, so that
// the results waiting stay few whatever the length of the list.
class SubtitlePipeline {
public:
    struct Drawing {
        const RenderSettings& settings;
        const SubtitleRenderer& renderer; // the run's, used on the calling thread
        QImage& canvas;                   // the run's, drawn on for one job
        bool keepCanvas;                  // workers hand a copy of their canvas with each result
    };

    SubtitlePipeline(const SubtitleStore& store, const RunOutput& output, Drawing drawing,
                     int jobs);
    // Stops the workers after the subtitles they are drawing.
    ~SubtitlePipeline();
    SubtitlePipeline(const SubtitlePipeline&) = delete;
    SubtitlePipeline& operator=(const SubtitlePipeline&) = delete;

    // The next subtitle of the store, drawn and encoded; call it once per subtitle.
    EncodedSubtitle Next();

private:
    void Work();
    void Stop();
    // Under lock: takes the next subtitle, draws it with the lock released, and puts the result
    // in its slot; returns its index.
    std::size_t DrawNext(std::unique_lock<std::mutex>& lock, SubtitleEncoder& encoder,
                         QImage& canvas);
    std::size_t FreeSlots() const; // under m_mutex

    const SubtitleStore& m_store;
    const RunOutput& m_output;
    Drawing m_drawing;
    std::unique_ptr<SubtitleEncoder> m_ownEncoder; // on the calling thread
    QImage m_ownCanvas; // its canvas, with more than one job where the run's canvas is shown

    // Shared with the workers, under m_mutex.
    std::mutex m_mutex;
    std::size_t m_handed = 0; // subtitles given by Next
    std::condition_variable m_workReady;
    std::condition_variable m_resultReady;
    std::size_t m_taken = 0;    // subtitles a worker has started
    int m_sleepingWorkers = 0;  // waiting for a free slot
    bool m_nextWaiting = false; // Next waits for the result of subtitle m_handed
    bool m_stopping = false;
    std::vector<std::optional<EncodedSubtitle>> m_ring; // by index modulo its size
    std::vector<std::thread> m_workers;
};

} // namespace orvo
