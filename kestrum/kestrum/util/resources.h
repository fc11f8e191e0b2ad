#pragma once

#include <kestrum/kestrum_export.h>

#include <cstdint>
#include <span>

namespace kestrum {

// Resources compiled into a program (its version information) are found by type and id, as
// on the system these programs come from. A program registers them before main runs, through
// a ResourceRegistration object at namespace scope.
constexpr int kRtVersion = 16;
constexpr int kVersionResourceId = 1;

// The bytes registered under type and id; empty when there are none. The bytes are not
// copied: they must stay valid while registered (static data in practice).
KESTRUM_EXPORT std::span<const std::uint8_t> FindResource(int type, int id);
// Registers bytes under type and id, replacing any earlier registration.
KESTRUM_EXPORT void RegisterResource(int type, int id, std::span<const std::uint8_t> bytes);
KESTRUM_EXPORT void UnregisterResource(int type, int id);

struct ResourceRegistration {
    ResourceRegistration(int type, int id, std::span<const std::uint8_t> bytes) {
        RegisterResource(type, id, bytes);
    }
};

} // namespace kestrum
