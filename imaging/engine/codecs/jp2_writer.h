// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes an 8-bit grey or 24-bit engine bitmap as JPEG 2000 with OpenJPEG,
// in a JP2 file or as a bare codestream: lossless at the best quality factor,
// lossy to a target quality otherwise.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/engine/pix_bitmap.h"

namespace pix {

struct Jp2Encoding {
    bool codestream = false;  // a bare codestream instead of a JP2 file
    int32_t qualityFactor = 2;
    int32_t levels = 5;  // wavelet decomposition levels (fewer when the picture is small)
};

// The peak signal-to-noise ratio a lossy quality factor (3 to 255) aims at:
// one straight line from 50 dB at factor 3 (no difference to see) to 20 dB at
// factor 255; libjpeg's quality 90 (factor 27) gets 47 dB.
constexpr double Jp2TargetPsnr(int32_t qualityFactor) {
    return 50.0 - 30.0 * (qualityFactor - 3) / 252.0;
}

constexpr int32_t kMaxJp2Levels = 32;

// -2 for a bitmap without pixels, -27 for another depth or an 8-bit bitmap
// whose palette is not the grey ramp, -538 for levels outside 0 to 32, -1
// when OpenJPEG fails.
int32_t EncodeJp2(const PixBitmap& bitmap, const Jp2Encoding& encoding, std::vector<uint8_t>* out);

}  // namespace pix
