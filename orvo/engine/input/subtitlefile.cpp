#include "input/subtitlefile.h"

#include "input/dialoguetext.h"
#include "input/scriptheader.h"
#include "input/srtblocks.h"
#include "time/timecode.h"

#include "input/medialibraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace orvo {
namespace {

// The demuxers of text subtitle files, and the name people know each kind by. Containers that
// carry subtitles beside video (and every other demuxer) are refused: their files are no
// subtitle files, and the less of the libraries a hostile file reaches the better.
struct FileKind {
    const char* demuxer;
    const char* name;
};
constexpr std::array<FileKind, 15> kFileKinds{{
    {"srt", "SRT"},
    {"webvtt", "WebVTT"},
    {"ass", "ASS/SSA"},
    {"microdvd", "MicroDVD"},
    {"subviewer", "SubViewer"},
    {"subviewer1", "SubViewer 1"},
    {"sami", "SAMI"},
    {"mpl2", "MPL2"},
    {"mpsub", "MPSub"},
    {"jacosub", "JACOsub"},
    {"pjs", "PJS"},
    {"realtext", "RealText"},
    {"stl", "Spruce STL"},
    {"vplayer", "VPlayer"},
    {"aqtitle", "AQTitle"},
}};

const FileKind* FindKind(const char* demuxer) {
    const auto found =
        std::find_if(kFileKinds.begin(), kFileKinds.end(),
                     [&](const FileKind& kind) { return std::strcmp(kind.demuxer, demuxer) == 0; });
    return found == kFileKinds.end() ? nullptr : &*found;
}

// The probe looks at the start of a file; subtitle files announce themselves early.
constexpr std::size_t kProbeBytes = std::size_t{1} << 20;
constexpr int kIoBufferBytes = 4096;
// A file with a damaged line in every event would otherwise fill the memory with warnings.
constexpr std::size_t kMaxWarnings = 1000;

std::string ErrorText(int error) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    Av().av_strerror(error, text.data(), text.size());
    return text.data();
}

// The libraries report to a log of their own that goes to stderr unless redirected: what the
// read in progress is told comes into its warnings, and nothing reaches stderr. Per thread:
// a run's workers log through the same callback while they encode.
thread_local std::vector<std::string>* g_logLines = nullptr;

void KeepLogLine(void* /*object*/, int level, const char* format, va_list arguments) {
    if (g_logLines == nullptr || level > AV_LOG_WARNING || g_logLines->size() >= kMaxWarnings) {
        return;
    }
    std::array<char, 512> text{};
    std::vsnprintf(text.data(), text.size(), format, arguments);
    std::string line = text.data();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (!line.empty()) {
        g_logLines->push_back(std::move(line));
    }
}

class LogCapture {
public:
    explicit LogCapture(std::vector<std::string>& lines) {
        static std::once_flag installed;
        std::call_once(installed, [] { Av().av_log_set_callback(KeepLogLine); });
        g_logLines = &lines;
    }
    ~LogCapture() { g_logLines = nullptr; }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
};

// The file's bytes as the demuxer's input, so that it is read once, through the file layer.
struct MemoryInput {
    std::string_view bytes;
    std::size_t at = 0;
};

int ReadMemory(void* opaque, std::uint8_t* buffer, int size) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const std::size_t count =
        std::min(static_cast<std::size_t>(size), input->bytes.size() - input->at);
    if (count == 0) {
        return AVERROR_EOF;
    }
    std::memcpy(buffer, input->bytes.data() + input->at, count);
    input->at += count;
    return static_cast<int>(count);
}

std::int64_t SeekMemory(void* opaque, std::int64_t offset, int whence) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<std::int64_t>(input->bytes.size());
    if ((whence & AVSEEK_SIZE) != 0) {
        return size;
    }
    const int from = whence & ~AVSEEK_FORCE;
    const std::int64_t base =
        from == SEEK_CUR ? static_cast<std::int64_t>(input->at) : (from == SEEK_END ? size : 0);
    if ((from != SEEK_SET && from != SEEK_CUR && from != SEEK_END) || offset < -base ||
        offset > size - base) {
        return AVERROR(EINVAL);
    }
    input->at = static_cast<std::size_t>(base + offset);
    return base + offset;
}

struct IoContextFree {
    void operator()(AVIOContext* io) const {
        Av().av_freep(&io->buffer);
        Av().avio_context_free(&io);
    }
};
struct FormatContextClose {
    void operator()(AVFormatContext* format) const { Av().avformat_close_input(&format); }
};
struct CodecContextFree {
    void operator()(AVCodecContext* codec) const { Av().avcodec_free_context(&codec); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { Av().av_packet_free(&packet); }
};
using IoContext = std::unique_ptr<AVIOContext, IoContextFree>;
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextClose>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

class Dictionary {
public:
    Dictionary() = default;
    ~Dictionary() { Av().av_dict_free(&m_dictionary); }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    void Set(const char* key, const std::string& value) {
        Av().av_dict_set(&m_dictionary, key, value.c_str(), 0);
    }
    AVDictionary** Get() { return &m_dictionary; }

private:
    AVDictionary* m_dictionary = nullptr;
};

class DecodedEvent {
public:
    DecodedEvent() = default;
    ~DecodedEvent() { Av().avsubtitle_free(&m_subtitle); }
    DecodedEvent(const DecodedEvent&) = delete;
    DecodedEvent& operator=(const DecodedEvent&) = delete;
    AVSubtitle* Get() { return &m_subtitle; }

private:
    AVSubtitle m_subtitle{};
};

// Which demuxer takes the bytes, and how sure it is (AVPROBE_SCORE_MAX at most), by their
// content and the file name's extension; an empty name probes the content alone.
struct ProbeResult {
    const AVInputFormat* format = nullptr;
    int score = 0;
};

ProbeResult Probe(std::string_view bytes, const std::string& fileName) {
    const std::size_t size = std::min(bytes.size(), kProbeBytes);
    // The probes read past the end of their buffer by up to the padding, which must be zero.
    std::vector<std::uint8_t> buffer(size + AVPROBE_PADDING_SIZE, 0);
    std::memcpy(buffer.data(), bytes.data(), size);
    AVProbeData probe{};
    probe.filename = fileName.c_str();
    probe.buf = buffer.data();
    probe.buf_size = static_cast<int>(size);
    ProbeResult result;
    result.format = Av().av_probe_input_format3(&probe, 1, &result.score);
    return result;
}

// Whether the content alone makes a demuxer of another kind than the text subtitle files sure
// of it: a video or an audio file, a playlist. An extension alone gives a demuxer no more than
// AVPROBE_SCORE_EXTENSION, which a broken list called film.txt may earn.
bool IsMediaFile(std::string_view bytes) {
    const ProbeResult content = Probe(bytes, std::string());
    return content.format != nullptr && FindKind(content.format->name) == nullptr &&
           content.score > AVPROBE_SCORE_EXTENSION;
}

// Start and end of an event in microseconds; none for an event without a time.
struct EventTime {
    std::int64_t start;
    std::int64_t end;
};

std::int64_t Microseconds(std::int64_t value, AVRational timeBase) {
    const std::int64_t time = Av().av_rescale_q(value, timeBase, AVRational{1, 1000000});
    // The rescaling gives INT64_MIN for a result beyond its range.
    if (time == INT64_MIN) {
        return value > 0 ? kMaxTimeMicroseconds : 0;
    }
    return std::clamp<std::int64_t>(time, 0, kMaxTimeMicroseconds);
}

EventTime PacketTime(const AVPacket& packet, AVRational timeBase) {
    const std::int64_t start = Microseconds(packet.pts, timeBase);
    // An event without an end (a frame-based line with an empty end) ends where it starts.
    const std::int64_t length = packet.duration > 0 ? Microseconds(packet.duration, timeBase) : 0;
    return {start, start + length};
}

// The event's lines and placement, as its markup and its style say. The text of several
// rectangles is one subtitle; the first one places it.
StyledDialogue EventDialogue(AVSubtitle& subtitle, const ScriptHeader& header) {
    StyledDialogue event;
    for (unsigned index = 0; index < subtitle.num_rects; ++index) {
        const AVSubtitleRect& rect = *subtitle.rects[index];
        StyledDialogue part;
        if (rect.type == SUBTITLE_ASS && rect.ass != nullptr) {
            part = ParseDialogue(DialogueText(rect.ass),
                                 header.StyleOf(DialogueStyleName(rect.ass)), header.size);
        } else if (rect.type == SUBTITLE_TEXT && rect.text != nullptr) {
            part = ParseDialogue(rect.text);
        }
        if (event.lines.empty()) {
            event.placement = part.placement;
        }
        event.lines.insert(event.lines.end(), part.lines.begin(), part.lines.end());
    }
    return event;
}

// A time of the file as the timecode of its frame: what a list of the subtitle would say.
SubtitleTime TimecodeAt(std::int64_t microseconds, const FrameRate& rate) {
    const std::int64_t frame = FrameAtTime(microseconds, rate);
    return {FormatTimecode(frame, rate), frame, {}};
}

Subtitle SubtitleOfEvent(int number, const EventTime& time, const StyledDialogue& event,
                         const FrameRate& rate, int sourceLine) {
    Subtitle subtitle;
    subtitle.number = std::to_string(number);
    subtitle.start = TimecodeAt(time.start, rate);
    subtitle.end = TimecodeAt(time.end, rate);
    std::vector<TextRun> runs;
    for (const StyledLine& line : event.lines) {
        runs.clear();
        for (const StyledRun& run : line) {
            runs.push_back({run.text, run.emphasis});
        }
        subtitle.lines.AddLine(runs);
    }
    subtitle.placement = event.placement;
    subtitle.sourceLine = sourceLine;
    return subtitle;
}

void AddWarning(SubtitleFileResult& result, std::string warning) {
    if (result.warnings.size() < kMaxWarnings) {
        result.warnings.push_back(std::move(warning));
    }
}

// The line of a byte offset, for the events whose position the demuxer gives: the lines are
// found once, when the first warning needs one.
class LineIndex {
public:
    explicit LineIndex(std::string_view bytes)
        : m_bytes(bytes) {}

    int LineAt(std::int64_t offset) {
        if (m_lineEnds.empty()) {
            for (std::size_t at = m_bytes.find('\n'); at != std::string_view::npos;
                 at = m_bytes.find('\n', at + 1)) {
                m_lineEnds.push_back(at);
            }
            m_lineEnds.push_back(m_bytes.size());
        }
        const auto end = std::lower_bound(m_lineEnds.begin(), m_lineEnds.end(),
                                          static_cast<std::size_t>(offset));
        return static_cast<int>(end - m_lineEnds.begin()) + 1;
    }

private:
    std::string_view m_bytes;
    std::vector<std::size_t> m_lineEnds;
};

// One read of a probed file: the demuxer over the bytes, then the decoder over its packets.
class Reader {
public:
    Reader(std::string_view bytes, const FrameRate& rate, std::vector<std::string>& log,
           SubtitleFileResult& result)
        : m_input{bytes}
        , m_lines(bytes)
        , m_rate(rate)
        , m_log(log)
        , m_result(result) {}

    bool Open(const AVInputFormat* format, const std::string& fileName);
    void ReadEvents();

private:
    bool OpenDecoder();
    void AddEvent(const AVPacket& packet);
    int LineOf(const AVPacket& packet);
    std::string Where(const AVPacket& packet);
    void TakeLog(const std::string& where);
    bool Fail(const std::string& what, int error);

    MemoryInput m_input;
    LineIndex m_lines;
    const FrameRate& m_rate;
    std::vector<std::string>& m_log;
    SubtitleFileResult& m_result;
    IoContext m_io;
    FormatContext m_format;
    CodecContext m_codec;
    AVStream* m_stream = nullptr;
    ScriptHeader m_header;
};

bool Reader::Fail(const std::string& what, int error) {
    m_result.status = SubtitleFileResult::Status::Damaged;
    m_result.reason = what + ErrorText(error);
    return false;
}

bool Reader::Open(const AVInputFormat* format, const std::string& fileName) {
    auto* buffer = static_cast<std::uint8_t*>(Av().av_malloc(kIoBufferBytes));
    m_io.reset(Av().avio_alloc_context(buffer, kIoBufferBytes, 0, &m_input, ReadMemory, nullptr,
                                       SeekMemory));
    if (!m_io) {
        Av().av_free(buffer);
        return Fail("", AVERROR(ENOMEM));
    }
    AVFormatContext* context = Av().avformat_alloc_context();
    if (context == nullptr) {
        return Fail("", AVERROR(ENOMEM));
    }
    context->pb = m_io.get();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    Dictionary options;
    // A frame-based file counts its frames at the video's rate, not at the demuxer's guess.
    options.Set("subfps",
                std::to_string(m_rate.numerator) + "/" + std::to_string(m_rate.denominator));
    // On failure the context is freed by the call.
    const int opened = Av().avformat_open_input(&context, fileName.c_str(), format, options.Get());
    if (opened < 0) {
        return Fail("", opened);
    }
    m_format.reset(context);
    const int stream = Av().av_find_best_stream(context, AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
    if (stream < 0) {
        return Fail("no subtitles: ", stream);
    }
    m_stream = context->streams[stream];
    return OpenDecoder();
}

bool Reader::OpenDecoder() {
    const AVCodecDescriptor* descriptor = Av().avcodec_descriptor_get(m_stream->codecpar->codec_id);
    const AVCodec* decoder = Av().avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (descriptor == nullptr || (descriptor->props & AV_CODEC_PROP_TEXT_SUB) == 0 ||
        decoder == nullptr) {
        return Fail("no text subtitles: ", AVERROR_DECODER_NOT_FOUND);
    }
    m_codec.reset(Av().avcodec_alloc_context3(decoder));
    if (!m_codec) {
        return Fail("", AVERROR(ENOMEM));
    }
    const int copied = Av().avcodec_parameters_to_context(m_codec.get(), m_stream->codecpar);
    if (copied < 0) {
        return Fail("", copied);
    }
    m_codec->pkt_timebase = m_stream->time_base;
    const int opened = Av().avcodec_open2(m_codec.get(), decoder, nullptr);
    if (opened < 0) {
        return Fail("", opened);
    }
    // The decoder's script header: the file's own styles, or the decoder's for a kind that has
    // none.
    if (m_codec->subtitle_header != nullptr) {
        m_header = ParseScriptHeader(
            {reinterpret_cast<const char*>(m_codec->subtitle_header),
             static_cast<std::size_t>(std::max(m_codec->subtitle_header_size, 0))});
    }
    return true;
}

void Reader::ReadEvents() {
    Packet packet(Av().av_packet_alloc());
    if (!packet) {
        Fail("", AVERROR(ENOMEM));
        return;
    }
    TakeLog("");
    while (Av().av_read_frame(m_format.get(), packet.get()) >= 0) {
        if (packet->stream_index == m_stream->index) {
            ++m_result.events;
            AddEvent(*packet);
        }
        Av().av_packet_unref(packet.get());
    }
    TakeLog("");
    m_result.status = SubtitleFileResult::Status::Loaded;
}

// The line an event begins at, when the demuxer knows where it began; else 0.
int Reader::LineOf(const AVPacket& packet) {
    const bool known =
        packet.pos >= 0 && static_cast<std::uint64_t>(packet.pos) < m_input.bytes.size();
    return known ? m_lines.LineAt(packet.pos) : 0;
}

// The event's number in time order, and its line when the demuxer knows where it began.
std::string Reader::Where(const AVPacket& packet) {
    std::string where = "subtitle " + std::to_string(m_result.events);
    if (const int line = LineOf(packet); line > 0) {
        where += " (line " + std::to_string(line) + ")";
    }
    return where + ": ";
}

// What the libraries said since the last call, as warnings about where.
void Reader::TakeLog(const std::string& where) {
    for (std::string& line : m_log) {
        AddWarning(m_result, where + line);
    }
    m_log.clear();
}

void Reader::AddEvent(const AVPacket& packet) {
    if (packet.pts == AV_NOPTS_VALUE) {
        AddWarning(m_result, Where(packet) + "no time, left out");
        return;
    }
    DecodedEvent subtitle;
    int got = 0;
    const int decoded = Av().avcodec_decode_subtitle2(m_codec.get(), subtitle.Get(), &got,
                                                      const_cast<AVPacket*>(&packet));
    if (!m_log.empty()) {
        TakeLog(Where(packet));
    }
    if (decoded < 0) {
        AddWarning(m_result, Where(packet) + ErrorText(decoded) + ", left out");
        return;
    }
    const StyledDialogue event =
        got != 0 ? EventDialogue(*subtitle.Get(), m_header) : StyledDialogue{};
    if (event.lines.empty()) {
        ++m_result.emptySkipped;
        return;
    }
    const EventTime time = PacketTime(packet, m_stream->time_base);
    if (!HasTwoDigitHours(FrameAtTime(time.end, m_rate), m_rate)) {
        AddWarning(m_result, Where(packet) + "ends after 99 hours, left out");
        return;
    }
    const int number = static_cast<int>(m_result.subtitles.size()) + 1;
    m_result.subtitles.subtitles.push_back(
        SubtitleOfEvent(number, time, event, m_rate, LineOf(packet)));
}

// The SRT reader says nothing of the blocks it could not read: the file's own numbers tell.
void CompareSrtBlocks(std::string_view bytes, SubtitleFileResult& result) {
    SrtBlockScan scan = ScanSrtBlocks(bytes);
    result.emptySkipped += scan.emptyBlocks;
    std::string count = SrtCountWarning(scan, result.events);
    if (!count.empty()) {
        scan.warnings.push_back(std::move(count));
    }
    result.warnings.insert(result.warnings.begin(), scan.warnings.begin(), scan.warnings.end());
}

} // namespace

SubtitleFileResult ReadSubtitleFile(std::string_view bytes, const std::string& fileName,
                                    const FrameRate& rate) {
    SubtitleFileResult result;
    result.subtitles.rate = rate;
    // Without the libraries no file is taken for a subtitle file: a list is still read as one.
    if (OpenMediaLibraries(MediaUse::Reading, &result.reason) == nullptr) {
        return result;
    }
    std::vector<std::string> log;
    const LogCapture capture(log);
    const AVInputFormat* format = Probe(bytes, fileName).format;
    const FileKind* kind = format != nullptr ? FindKind(format->name) : nullptr;
    if (kind == nullptr) {
        if (IsMediaFile(bytes)) {
            result.status = SubtitleFileResult::Status::MediaFile;
        }
        return result;
    }
    result.kind = kind->name;
    Reader reader(bytes, rate, log, result);
    if (reader.Open(format, fileName)) {
        reader.ReadEvents();
    }
    if (result.status != SubtitleFileResult::Status::Loaded) {
        result.subtitles.clear();
    } else if (std::strcmp(format->name, "srt") == 0) {
        CompareSrtBlocks(bytes, result);
    }
    return result;
}

} // namespace orvo
