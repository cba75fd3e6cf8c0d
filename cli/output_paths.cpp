// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output_paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <vector>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/format_table.h"

namespace cli {

std::optional<int32_t> OutputFormatFor(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    const pix::FileFormatEntry* format = pix::FindFileFormatByExtension(ext);
    if (!format || !pix::CanSaveDepth(format->code, 24)) return std::nullopt;
    return format->code;
}

std::string OutputExtensions() {
    std::vector<std::string_view> names;
    for (const pix::FileFormatEntry& f : pix::FileFormats())
        if (pix::CanSaveDepth(f.code, 24))
            names.insert(names.end(), f.extensions.begin(), f.extensions.end());
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) text += i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

std::string OutputPathFor(const std::string& photo, const std::optional<std::string>& output,
                          const std::optional<std::string>& outputDir,
                          const std::string& extension) {
    if (output) return *output;
    const std::filesystem::path source(photo);
    const std::string name = source.stem().string() + "-sketch" + extension;
    if (outputDir) return (std::filesystem::path(*outputDir) / name).string();
    return (source.parent_path() / name).string();
}

}  // namespace cli
