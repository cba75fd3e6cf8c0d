// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder of Cineon film scans: one (grey) or three logarithmic channels of 8,
// 10, 12 or 16 bits in any of the format's packings and orientations, in either
// byte order, converted to 8-bit display values: log code to linear light,
// then the sRGB encoding that screens expect.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {

// The log-to-linear step: 10-bit codes of reference white (linear light 1) and
// black (linear light 0), the film's gamma and the density step of one code.
constexpr int kCineonRefWhite = 685;
constexpr int kCineonRefBlack = 95;
constexpr double kCineonFilmGamma = 0.6;
constexpr double kCineonDensityPerCode = 0.002;

// Linear light of a 10-bit code, 0 at reference black and below, 1 at
// reference white and above.
double CineonLinearLight(double code10);
// 8-bit display value (sRGB-encoded linear light) of a code of `bits` bits
// (8, 10, 12 or 16): the code is scaled to the nearest 10-bit code, where the
// reference points lie, and looked up in a table of the 1024 10-bit codes.
uint8_t CineonDisplayValue(uint32_t code, int bits);

std::unique_ptr<ImageDecoder> CreateCineonDecoder(std::span<const uint8_t> data);

}  // namespace pix
