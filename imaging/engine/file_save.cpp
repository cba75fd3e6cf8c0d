#include "imaging/engine/file_save.h"

#include <cstdio>
#include <vector>

#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/status_codes.h"

namespace pix {

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format) {
    std::vector<uint8_t> bytes;
    int32_t status;
    switch (format) {
        case kFormatBmp:
            status = EncodeBmp(bitmap, &bytes);
            break;
        case kFormatPng:
            status = EncodePng(bitmap, &bytes);
            break;
        default:
            return kNotSupported;
    }
    if (status != kSuccess) return status;
    if (path.empty()) return kInvalidFileName;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return kFileCreate;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        return kFileWrite;
    }
    return kSuccess;
}

}  // namespace pix
