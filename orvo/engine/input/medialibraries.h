#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include <string>

namespace orvo {

// The functions of the system's audio and video libraries that the engine calls, by library.
#define ORVO_MEDIA_FUNCTIONS(X)                                                                    \
    X(avutil, av_dict_free)                                                                        \
    X(avutil, av_dict_set)                                                                         \
    X(avutil, av_free)                                                                             \
    X(avutil, av_freep)                                                                            \
    X(avutil, av_log_set_callback)                                                                 \
    X(avutil, av_malloc)                                                                           \
    X(avutil, av_rescale_q)                                                                        \
    X(avutil, av_strerror)                                                                         \
    X(avcodec, av_packet_alloc)                                                                    \
    X(avcodec, av_packet_free)                                                                     \
    X(avcodec, av_packet_unref)                                                                    \
    X(avcodec, avcodec_alloc_context3)                                                             \
    X(avcodec, avcodec_decode_subtitle2)                                                           \
    X(avcodec, avcodec_descriptor_get)                                                             \
    X(avcodec, avcodec_encode_subtitle)                                                            \
    X(avcodec, avcodec_find_decoder)                                                               \
    X(avcodec, avcodec_find_encoder)                                                               \
    X(avcodec, avcodec_free_context)                                                               \
    X(avcodec, avcodec_open2)                                                                      \
    X(avcodec, avcodec_parameters_to_context)                                                      \
    X(avcodec, avsubtitle_free)                                                                    \
    X(avformat, av_find_best_stream)                                                               \
    X(avformat, av_probe_input_format3)                                                            \
    X(avformat, av_read_frame)                                                                     \
    X(avformat, avformat_alloc_context)                                                            \
    X(avformat, avformat_close_input)                                                              \
    X(avformat, avformat_open_input)                                                               \
    X(avformat, avio_alloc_context)                                                                \
    X(avformat, avio_context_free)

// Those functions, from the libraries opened when first needed: linked at start, the libraries
// and the hundred they depend on cost every start of the program some 40 ms of processor time,
// also the runs that read no subtitle file and code no subpicture.
struct MediaLibraries {
#define ORVO_MEDIA_MEMBER(library, name) decltype(&::name) name = nullptr;
    ORVO_MEDIA_FUNCTIONS(ORVO_MEDIA_MEMBER)
#undef ORVO_MEDIA_MEMBER
};

// What a caller does with the libraries. Coding subpictures takes libavutil and libavcodec;
// reading subtitle files takes libavformat as well, which with the libraries it depends on
// costs a run that only codes subpictures another 25 ms of its start.
enum class MediaUse { Coding, Reading };

// The libraries that use needs, opened on the first call from any thread; null when they
// cannot be, with the reason in problem. Those of the other use may be missing from them.
const MediaLibraries* OpenMediaLibraries(MediaUse use, std::string* problem = nullptr);

// The libraries, once OpenMediaLibraries has given them for the caller's use.
const MediaLibraries& Av();

} // namespace orvo
