// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder interface that every file codec implements: the file's
// information first, then its pixels into an allocated bitmap, row band by row
// band. Decoders read from memory and never past it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

// Rows handed to a band sink at a time (the last band may be shorter).
constexpr int32_t kBandRows = 32;

// What a decoder tells about its file before any pixel is decoded.
struct ImageInfo {
    int32_t format = 0;  // file format code (file_format.h)
    int32_t width = 0;   // as the picture stands upright
    int32_t height = 0;
    int32_t bitsPerPixel = 0;      // depth the decoder delivers: 8 or 24
    int32_t fileBitsPerPixel = 0;  // depth as stored in the file (all channels)
    int32_t channels = 0;          // channels stored in the file
    bool grey = false;             // 8-bit grey ramp
    int32_t colors = 0;            // palette entries in use when bitsPerPixel is 8
    std::array<RGBQUAD, 256> palette{};
    int32_t xResolution = 0;  // dots per inch, 0 when the file says nothing
    int32_t yResolution = 0;
    int32_t compression = 0;  // the format's own compression code
    int32_t pages = 1;
    int32_t orientation = 1;  // orientation tag that the decoder applies (1 = none)
    bool interlaced = false;  // interlaced or progressive
};

// Receives bands of finished rows of the bitmap being decoded. A result other
// than 1 stops the decoder, which then returns that result.
class BandSink {
public:
    virtual int32_t RowsDone(int32_t firstRow, int32_t rows) = 0;

protected:
    ~BandSink() = default;
};

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // Parses the header. Every size is checked here, before anything is allocated.
    virtual int32_t ReadInfo(ImageInfo* info) = 0;
    // Decodes the pixels into `bitmap`, which the caller allocated with the
    // geometry and depth of ReadInfo's result and gave the palette of `info`.
    // A decoder that failed once stays failed.
    virtual int32_t Decode(PixBitmap& bitmap, BandSink& sink) = 0;
};

// Refuses a width or height of 0 or over 65535 (-11), and pixels over 1 GiB at
// the given depth (-1).
int32_t CheckImageGeometry(int64_t width, int64_t height, int32_t bitsPerPixel);

// Memory a decoder may hold while it decodes, its libraries' buffers included,
// besides the bitmap it fills: two 24-bit pictures of the image's size plus
// 32 MiB. With the bitmap that keeps a load within three pictures plus 32 MiB,
// the most that turning a photo into a drawing holds afterwards.
constexpr uint64_t kDecoderSlackBytes = uint64_t{32} << 20;
uint64_t DecoderWorkBudget(int64_t width, int64_t height);

// Fills a 256-entry grey ramp.
void SetGreyRamp(ImageInfo* info);

}  // namespace pix
