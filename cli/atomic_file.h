// Writes a file through a temporary file in the same folder that is renamed
// into place, so that an interrupted run leaves no half-written file.
#pragma once

#include <functional>
#include <string>

namespace cli {

// Calls `write` with the path of a new temporary file beside `path`; when it
// returns true, the file replaces `path`, otherwise it is removed. Returns an
// empty text on success, else the reason (the writer's, through `error`, or the
// system's).
std::string WriteFileAtomically(
    const std::string& path,
    const std::function<bool(const std::string& tempPath, std::string* error)>& write);

}  // namespace cli
