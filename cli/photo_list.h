// SPDX-License-Identifier: GPL-3.0-or-later
// The photo names of --list: one a line (LF, CR LF or CR CR LF) or, with --null, each
// ending in a NUL byte; from a file or standard input.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace cli {

// A name longer than this cannot be opened on Linux anyway.
constexpr size_t kMaxListLine = 4096;

// Appends each non-empty name of `in` to `photos`. Empty when the whole list
// was read, else why it is unusable (a name too long, or a line holding a NUL
// byte).
std::string ReadPhotoList(std::istream& in, std::vector<std::string>* photos,
                          bool nullSeparated = false);

}  // namespace cli
