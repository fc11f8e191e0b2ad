#include "run/subtitlepipeline.h"

#include <algorithm>
#include <utility>

namespace orvo {
namespace {

// Subtitles drawn ahead per worker: enough that no worker waits for the writing, few enough
// that memory does not grow with the list.
constexpr std::size_t kAheadPerWorker = 4;

} // namespace

int RunJobs(int requested) {
    if (requested > 0) {
        return std::min(requested, kMaxJobs);
    }
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
}

SubtitlePipeline::SubtitlePipeline(const SubtitleStore& store, const RunOutput& output,
                                   Drawing drawing, int jobs)
    : m_store(store)
    , m_output(output)
    , m_drawing(drawing)
    , m_ownEncoder(output.MakeEncoder(drawing.renderer)) {
    m_ownEncoder->SetCanvasShown(drawing.keepCanvas);
    const int threads = RunJobs(jobs);
    if (threads == 1 || store.size() < 2) {
        return;
    }
    // The run's thread is one of the jobs. Where the run's canvas shows the results in the
    // order of the list, it draws on a canvas of its own.
    if (drawing.keepCanvas) {
        m_ownCanvas = MakeCanvas(drawing.settings);
    }
    m_ring.resize(static_cast<std::size_t>(threads) * kAheadPerWorker);
    m_workers.reserve(static_cast<std::size_t>(threads - 1));
    for (int i = 1; i < threads; ++i) {
        m_workers.emplace_back([this] { Work(); });
    }
}

SubtitlePipeline::~SubtitlePipeline() {
    Stop();
}

void SubtitlePipeline::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workReady.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
    m_workers.clear();
}

// Each worker makes its fonts and canvas on its own thread: fonts are not shared between
// threads.
void SubtitlePipeline::Work() {
    const SubtitleRenderer renderer(m_drawing.settings);
    QImage canvas = MakeCanvas(m_drawing.settings);
    const std::unique_ptr<SubtitleEncoder> encoder = m_output.MakeEncoder(renderer);
    encoder->SetCanvasShown(m_drawing.keepCanvas);
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_stopping && m_taken < m_store.size() && FreeSlots() == 0) {
            ++m_sleepingWorkers;
            m_workReady.wait(lock, [this] {
                return m_stopping || m_taken >= m_store.size() || FreeSlots() > 0;
            });
            --m_sleepingWorkers;
        }
        if (m_stopping || m_taken >= m_store.size()) {
            return;
        }
        if (DrawNext(lock, *encoder, canvas) == m_handed && m_nextWaiting) {
            m_resultReady.notify_one();
        }
    }
}

std::size_t SubtitlePipeline::DrawNext(std::unique_lock<std::mutex>& lock, SubtitleEncoder& encoder,
                                       QImage& canvas) {
    const std::size_t index = m_taken++;
    lock.unlock();
    EncodedSubtitle encoded = encoder.Encode(m_store[index], index, canvas);
    if (m_drawing.keepCanvas) {
        encoded.shown = canvas.copy();
    }
    lock.lock();
    m_ring[index % m_ring.size()] = std::move(encoded);
    return index;
}

std::size_t SubtitlePipeline::FreeSlots() const {
    return m_handed + m_ring.size() - m_taken;
}

EncodedSubtitle SubtitlePipeline::Next() {
    if (m_workers.empty()) {
        const std::size_t index = m_handed++;
        return m_ownEncoder->Encode(m_store.subtitles.at(index), index, m_drawing.canvas);
    }
    std::unique_lock lock(m_mutex);
    std::optional<EncodedSubtitle>& slot = m_ring[m_handed % m_ring.size()];
    // Rather than wait for the workers, the run's thread draws the next subtitle that none has
    // taken: a thread more than there are cores would make the system switch between them,
    // which on a virtual machine costs more than the drawing.
    while (!slot.has_value()) {
        if (m_taken < m_store.size() && FreeSlots() > 0) {
            DrawNext(lock, *m_ownEncoder, m_drawing.keepCanvas ? m_ownCanvas : m_drawing.canvas);
            continue;
        }
        m_nextWaiting = true;
        m_resultReady.wait(lock, [&slot] { return slot.has_value(); });
        m_nextWaiting = false;
    }
    EncodedSubtitle encoded = std::move(*slot);
    slot.reset();
    ++m_handed;
    // Workers that found the ring full sleep until half of it is free: waking one for every
    // slot freed cost more than the drawing.
    const bool wake = m_sleepingWorkers > 0 && 2 * FreeSlots() >= m_ring.size();
    lock.unlock();
    if (wake) {
        m_workReady.notify_all();
    }
    return encoded;
}

} // namespace orvo
