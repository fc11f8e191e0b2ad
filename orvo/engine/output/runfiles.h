#pragma once

#include "run/generationhost.h"
#include "run/runparameters.h"

#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace orvo {

// The files a run writes beside its list: LIST.EXT listings and NAME.N.EXT images.

// The list's folder, with its closing separator, or empty for the current folder.
std::string ListFolder(const RunParameters& parameters);

// LIST.EXT beside the list.
std::string ListingPath(const RunParameters& parameters, std::string_view extension);

// The list is in memory only: a file of the run of the same name as the list (a list called
// "film.sst") would destroy it.
bool IsTheList(const std::string& path, const RunParameters& parameters);

// A run that was killed leaves the temporary file it was writing: the next run of the list
// clears those of its listings and of its images NAME.*.EXT (none when imageExtension is
// empty) away, once.
void RemoveStaleRunTemporaries(const RunParameters& parameters,
                               std::span<const std::string_view> listings,
                               std::string_view imageExtension);

// Whether a file could not be written because its folder takes no new file: no permission, a
// read-only file system, no room or no quota left. A run's first file refused so stops it.
bool IsFolderRefusal(const std::error_code& error);

// The run's first file (file) could not be written, or is only written at the end: when its
// folder takes no new file now, the thousands after it would not be taken either, and the run
// stops before it draws them, with the reason as its status. True when it stops.
bool StopForFolder(const std::string& file, RunOutcome& outcome);

// Tells the host of a file that could not be written, and counts it.
void CountFailure(const std::string& file, const std::string& reason, GenerationHost& host,
                  RunOutcome& outcome);

} // namespace orvo
