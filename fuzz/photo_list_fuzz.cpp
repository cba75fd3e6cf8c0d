// Feeds arbitrary bytes to the reader of --list as a list of photo names:
// every name it hands back is non-empty, within the line limit and free of
// newlines and NUL bytes.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/photo_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> photos;
    const std::string error = cli::ReadPhotoList(in, &photos);
    for (const std::string& name : photos)
        if (name.empty() || name.size() > cli::kMaxListLine ||
            name.find_first_of(std::string("\n\0", 2)) != std::string::npos)
            __builtin_trap();
    (void)error;
    return 0;
}
