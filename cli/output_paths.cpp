#include "cli/output_paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "imaging/engine/codecs/file_format.h"

namespace cli {

std::optional<int32_t> OutputFormatFor(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".bmp") return pix::kFormatBmp;
    if (ext == ".png") return pix::kFormatPng;
    return std::nullopt;
}

std::string OutputPathFor(const std::string& photo, const std::optional<std::string>& output,
                          const std::optional<std::string>& outputDir) {
    if (output) return *output;
    const std::filesystem::path source(photo);
    const std::string name = source.stem().string() + "-sketch.png";
    if (outputDir) return (std::filesystem::path(*outputDir) / name).string();
    return (source.parent_path() / name).string();
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace cli
