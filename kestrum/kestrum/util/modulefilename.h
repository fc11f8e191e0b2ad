#pragma once

#include <kestrum/kestrum_export.h>

#include <string>

namespace kestrum {

// The full path of the running program's file, links resolved; empty if it cannot be found.
KESTRUM_EXPORT std::string ModuleFileName();

} // namespace kestrum
