// What a save asks of an encoder beyond the format: depth, quality factor,
// compression and progressive JPEG.
#pragma once

#include <cstdint>

namespace pix {

// Compressions a save may ask for. Each format takes the ones it has and
// answers -23 for the others; the default is the format's usual one (none for
// BMP, run-length for SGI, LZW for TIFF).
constexpr int32_t kCompressionDefault = -1;
constexpr int32_t kCompressionNone = 0;
constexpr int32_t kCompressionRle = 1;
constexpr int32_t kCompressionLzw = 2;
constexpr int32_t kCompressionDeflate = 3;

// The engine's quality factor: 2 is the best quality, larger values give
// smaller files; values outside these bounds give -21.
constexpr int32_t kBestQualityFactor = 2;
constexpr int32_t kSmallestQualityFactor = 255;

struct SaveOptions {
    int32_t bitsPerPixel = 0;  // 0: the bitmap's own depth
    int32_t qualityFactor = kBestQualityFactor;
    int32_t compression = kCompressionDefault;
    bool progressive = false;  // JPEG only
};

// libjpeg's quality (1 to 100) for a quality factor in bounds: one straight
// line from factor 2 (quality 100) to factor 255 (quality 1), rounded.
constexpr int JpegQuality(int32_t qualityFactor) {
    return 100 - ((qualityFactor - kBestQualityFactor) * 99 + 126) / 253;
}
static_assert(JpegQuality(2) == 100 && JpegQuality(255) == 1);

}  // namespace pix
