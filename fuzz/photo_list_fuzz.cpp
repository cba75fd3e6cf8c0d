// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the reader of --list as a list of photo names, the
// first byte choosing line ends or NUL ends (--null): every name it hands back
// is non-empty, within the length limit and free of NUL bytes; a line holds no
// line end and ends in no CR.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/photo_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool nullSeparated = data[0] & 1;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    std::vector<std::string> photos;
    const std::string error = cli::ReadPhotoList(in, &photos, nullSeparated);
    for (const std::string& name : photos)
        if (name.empty() || name.size() > cli::kMaxListLine ||
            name.find('\0') != std::string::npos ||
            (!nullSeparated && (name.find('\n') != std::string::npos || name.back() == '\r')))
            __builtin_trap();
    (void)error;
    return 0;
}
