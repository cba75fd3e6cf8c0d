#include "imaging/engine/file_save.h"

#include <vector>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/status_codes.h"

namespace pix {

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError) {
    if (systemError) *systemError = 0;
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
    return WriteFileAtomically(path, bytes, systemError);
}

}  // namespace pix
