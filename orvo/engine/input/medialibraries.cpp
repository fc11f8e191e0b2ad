#include "input/medialibraries.h"

#include <dlfcn.h>

#include <atomic>

#include <cstdlib>
#include <string_view>

namespace orvo {
namespace {

// The versions the engine was built against: another major version has another interface.
#define ORVO_STRINGIFY_VALUE(value) #value
#define ORVO_STRINGIFY(value) ORVO_STRINGIFY_VALUE(value)

struct Opened {
    MediaLibraries libraries;
    std::string problem; // empty when every function was found
};

// Each library is kept open for the life of the program.
void* OpenLibrary(const char* soname, std::string& problem) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && problem.empty()) {
        const char* error = dlerror();
        problem = error != nullptr ? error : soname;
    }
    return handle;
}

template <class Function>
void Find(void* library, const char* name, Function& function, std::string& problem) {
    function = library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
    if (function == nullptr && problem.empty()) {
        problem = std::string(name) + " is missing";
    }
}

// Reading also opens libavformat; for coding it stays closed and its functions null.
Opened Open(MediaUse use) {
    Opened opened;
    std::string& problem = opened.problem;
    const bool reading = use == MediaUse::Reading;
    void* avutil = OpenLibrary("libavutil.so." ORVO_STRINGIFY(LIBAVUTIL_VERSION_MAJOR), problem);
    void* avcodec = OpenLibrary("libavcodec.so." ORVO_STRINGIFY(LIBAVCODEC_VERSION_MAJOR), problem);
    void* avformat =
        reading ? OpenLibrary("libavformat.so." ORVO_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR), problem)
                : nullptr;
    MediaLibraries& libraries = opened.libraries;
#define ORVO_MEDIA_FIND(library, name)                                                             \
    if (reading || std::string_view(#library) != "avformat") {                                     \
        Find(library, #name, libraries.name, problem);                                             \
    }
    ORVO_MEDIA_FUNCTIONS(ORVO_MEDIA_FIND)
#undef ORVO_MEDIA_FIND
    return opened;
}

const Opened& OpenOnce(MediaUse use) {
    if (use == MediaUse::Coding) {
        static const Opened coding = Open(MediaUse::Coding);
        return coding;
    }
    static const Opened reading = Open(MediaUse::Reading);
    return reading;
}

// The fullest set opened so far, for Av: the functions of libavutil and libavcodec are the same
// in both.
std::atomic<const MediaLibraries*> g_fullest{nullptr};

} // namespace

const MediaLibraries* OpenMediaLibraries(MediaUse use, std::string* problem) {
    const Opened& opened = OpenOnce(use);
    if (!opened.problem.empty()) {
        if (problem != nullptr) {
            *problem = "the system's audio and video libraries could not be loaded (" +
                       opened.problem + ")";
        }
        return nullptr;
    }
    if (use == MediaUse::Reading) {
        g_fullest.store(&opened.libraries, std::memory_order_release);
    } else {
        const MediaLibraries* none = nullptr;
        g_fullest.compare_exchange_strong(none, &opened.libraries, std::memory_order_acq_rel);
    }
    return &opened.libraries;
}

const MediaLibraries& Av() {
    const MediaLibraries* libraries = g_fullest.load(std::memory_order_acquire);
    if (libraries == nullptr) {
        // Every caller checks OpenMediaLibraries first: reaching here is a fault of ours.
        std::abort();
    }
    return *libraries;
}

} // namespace orvo
