// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/photo_size_rule.h"

#include "imaging/engine/file_info.h"
#include "imaging/engine/load_options.h"
#include "imaging/engine/status_codes.h"

namespace sketch {

PhotoSize ReadPhotoSize(const std::string& path) {
    PixLoadOptions options{};
    P_GetDefaultLoadFileOption(&options, sizeof options);
    PixFileInfo info{};
    info.StructSize = sizeof info;
    PhotoSize size;
    size.status = P_FileInfo(path.c_str(), &info, sizeof info, 1, &options);
    if (size.status == pix::kSuccess) {
        size.width = info.Width;
        size.height = info.Height;
    }
    return size;
}

}  // namespace sketch
