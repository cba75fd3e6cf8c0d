// SPDX-License-Identifier: GPL-3.0-or-later
// What a save asks of an encoder beyond the format: depth, quality factor,
// compression, progressive JPEG, a stamp and where the picture goes among the
// pages of a multi-page file.
#pragma once

#include <cstdint>

namespace pix {

// Compressions a save may ask for. Each format takes the ones it has and
// answers -23 for the others; the default is the format's usual one (none for
// BMP, Deflate for PNG, baseline for JPEG, run-length for SGI, LZW for TIFF, the wavelet for JPEG
// 2000). Run-length for BMP is RLE8 and only holds 8 bits per pixel; JPEG inside TIFF holds 8-bit
// grey and 24 bits.
constexpr int32_t kCompressionDefault = -1;
constexpr int32_t kCompressionNone = 0;
constexpr int32_t kCompressionRle = 1;
constexpr int32_t kCompressionLzw = 2;
constexpr int32_t kCompressionDeflate = 3;
constexpr int32_t kCompressionJpeg = 4;             // baseline JPEG (JPEG files, TIFF)
constexpr int32_t kCompressionProgressiveJpeg = 5;  // JPEG files
constexpr int32_t kCompressionWavelet = 6;          // JPEG 2000

// The engine's quality factor: 2 is the best quality, larger values give
// smaller files; values outside these bounds give -21.
constexpr int32_t kBestQualityFactor = 2;
constexpr int32_t kSmallestQualityFactor = 255;

// Where a saved picture goes in a multi-page file (TIFF); other formats only
// take kNewFile.
enum class PagePlacement { kNewFile, kAppend, kInsert, kReplace };

struct SaveOptions {
    int32_t bitsPerPixel = 0;  // 0: the bitmap's own depth
    int32_t qualityFactor = kBestQualityFactor;
    int32_t compression = kCompressionDefault;
    bool progressive = false;  // JPEG only, as kCompressionProgressiveJpeg
    // A thumbnail fitted into stampWidth x stampHeight (aspect kept) at
    // stampBits (8 grey or 24; 0 the picture's depth).
    bool stamp = false;
    int32_t stampWidth = 0;
    int32_t stampHeight = 0;
    int32_t stampBits = 0;
    // JPEG 2000 only: the wavelet decomposition levels (0 to 32), fewer when
    // the picture is too small to halve that often.
    int32_t jpeg2000Levels = 5;
    PagePlacement placement = PagePlacement::kNewFile;
    int32_t page = 0;  // kInsert, kReplace: the page (0 = first) of the existing file
    // False: a file already at the path is left alone and the save fails with
    // -5 (EEXIST); see WriteFileAtomically.
    bool replaceExisting = true;
};

// libjpeg's quality (1 to 100) for a quality factor in bounds: one straight
// line from factor 2 (quality 100) to factor 255 (quality 1), rounded.
constexpr int JpegQuality(int32_t qualityFactor) {
    return 100 - ((qualityFactor - kBestQualityFactor) * 99 + 126) / 253;
}
static_assert(JpegQuality(2) == 100 && JpegQuality(255) == 1);

// The best quality factor that gives libjpeg's `quality` (1 to 100, clamped):
// JpegQuality(QualityFactorFor(q)) == q.
constexpr int32_t QualityFactorFor(int quality) {
    quality = quality < 1 ? 1 : quality > 100 ? 100 : quality;
    int32_t factor = kBestQualityFactor;
    while (JpegQuality(factor) > quality) ++factor;
    return factor;
}
static_assert(QualityFactorFor(100) == 2 && QualityFactorFor(90) == 27 && [] {
    for (int q = 1; q <= 100; ++q)
        if (JpegQuality(QualityFactorFor(q)) != q) return false;
    return true;
}());

}  // namespace pix
