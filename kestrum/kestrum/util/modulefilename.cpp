#include "kestrum/util/modulefilename.h"

#include <filesystem>

namespace kestrum {

std::string ModuleFileName() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

} // namespace kestrum
