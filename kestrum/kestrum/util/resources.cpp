#include "kestrum/util/resources.h"

#include <map>
#include <utility>

namespace kestrum {
namespace {
// Built on first use, so that registrations from static objects of any translation unit
// find it ready.
std::map<std::pair<int, int>, std::span<const std::uint8_t>>& Registry() {
    static std::map<std::pair<int, int>, std::span<const std::uint8_t>> registry;
    return registry;
}
} // namespace

std::span<const std::uint8_t> FindResource(int type, int id) {
    const auto it = Registry().find({type, id});
    return it == Registry().end() ? std::span<const std::uint8_t>() : it->second;
}

void RegisterResource(int type, int id, std::span<const std::uint8_t> bytes) {
    Registry()[{type, id}] = bytes;
}

void UnregisterResource(int type, int id) {
    Registry().erase({type, id});
}

} // namespace kestrum
