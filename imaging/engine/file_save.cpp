#include "imaging/engine/file_save.h"

#include <vector>

#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/format_table.h"
#include "imaging/engine/codecs/jpeg_writer.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/codecs/sgi_writer.h"
#include "imaging/engine/codecs/tiff_writer.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {
constexpr int32_t kInvalidQualityFactor = -21;  // "Invalid QFactor specified."
constexpr int32_t kInvalidCompression = -23;    // "Invalid compression format."

// Formats that hold 8 bits per pixel only as grey.
bool GreyOnly8(int32_t format) {
    return format == kFormatJpeg || format == kFormatSgi;
}

int32_t Encode(const PixBitmap& b, int32_t format, const SaveOptions& o,
               std::vector<uint8_t>* bytes) {
    const int32_t c = o.compression;
    switch (format) {
        case kFormatBmp:
            if (c != kCompressionDefault && c != kCompressionNone) return kInvalidCompression;
            return EncodeBmp(b, bytes);
        case kFormatPng:
            if (c != kCompressionDefault && c != kCompressionDeflate) return kInvalidCompression;
            return EncodePng(b, bytes);
        case kFormatJpeg:
            if (c != kCompressionDefault) return kInvalidCompression;
            return EncodeJpeg(b, JpegQuality(o.qualityFactor), o.progressive, bytes);
        case kFormatSgi:
            if (c != kCompressionDefault && c != kCompressionNone && c != kCompressionRle)
                return kInvalidCompression;
            return EncodeSgi(b, c != kCompressionNone, bytes);
        case kFormatTiff: {
            TiffCompression t;
            switch (c) {
                case kCompressionNone:
                    t = TiffCompression::kNone;
                    break;
                case kCompressionDefault:
                case kCompressionLzw:
                    t = TiffCompression::kLzw;
                    break;
                case kCompressionDeflate:
                    t = TiffCompression::kDeflate;
                    break;
                default:
                    return kInvalidCompression;
            }
            return EncodeTiff(b, t, bytes);
        }
        default:
            return kNotSupported;
    }
}
}  // namespace

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       const SaveOptions& options, int* systemError) {
    if (systemError) *systemError = 0;
    const FileFormatEntry* entry = FindFileFormat(format);
    if (!entry || entry->saveDepths == 0) return kNotSupported;
    if (!(bitmap.Flags & kBitmapAllocated) || !bitmap.Data) return kInvalidBitmap;
    if (options.qualityFactor < kBestQualityFactor ||
        options.qualityFactor > kSmallestQualityFactor)
        return kInvalidQualityFactor;
    const int32_t bits = options.bitsPerPixel == 0 ? bitmap.BitsPerPixel : options.bitsPerPixel;
    if (!CanSaveDepth(format, bits) || (bitmap.BitsPerPixel != 8 && bitmap.BitsPerPixel != 24))
        return kInvalidBitsPerPixel;
    const bool toGrey = bits == 8 && GreyOnly8(format);
    const bool convert = bits != bitmap.BitsPerPixel || (toGrey && !HasGreyRamp(bitmap));
    PixBitmap converted;
    if (convert) {
        P_InitBitmap(&converted, sizeof(converted), 0, 0, 0);
        if (int32_t s = ConvertForSave(bitmap, bits, toGrey, &converted); s != kSuccess) {
            P_FreeBitmap(&converted);
            return s;
        }
    }
    std::vector<uint8_t> bytes;
    const int32_t status = Encode(convert ? converted : bitmap, format, options, &bytes);
    if (convert) P_FreeBitmap(&converted);
    if (status != kSuccess) return status;
    return WriteFileAtomically(path, bytes, systemError);
}

int32_t SaveBitmapFile(const PixBitmap& bitmap, const std::string& path, int32_t format,
                       int* systemError) {
    return SaveBitmapFile(bitmap, path, format, SaveOptions{}, systemError);
}

}  // namespace pix
