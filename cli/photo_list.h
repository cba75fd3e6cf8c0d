// The photo names of --list: one a line, from a file or standard input.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace cli {

// A name longer than this cannot be opened on Linux anyway.
constexpr size_t kMaxListLine = 4096;

// Appends each non-empty line of `in` to `photos`. Empty when the whole list
// was read, else why it is unusable (a line too long or holding a NUL byte).
std::string ReadPhotoList(std::istream& in, std::vector<std::string>* photos);

}  // namespace cli
