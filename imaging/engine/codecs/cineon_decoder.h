// Decoder of Cineon film scans: one (grey) or three logarithmic channels of 8,
// 10, 12 or 16 bits in any of the format's packings and orientations, in either
// byte order, converted to 8-bit display values with the customary
// log-to-linear curve.
#pragma once

#include <memory>
#include <span>

#include "imaging/engine/codecs/image_decoder.h"

namespace pix {

// The log-to-linear curve: reference white and black code values, the film's
// gamma and the display gamma that the curve aims at.
constexpr int kCineonRefWhite = 685;
constexpr int kCineonRefBlack = 95;
constexpr double kCineonFilmGamma = 0.6;
constexpr double kCineonDisplayGamma = 1.7;
// Density step of one code value.
constexpr double kCineonDensityPerCode = 0.002;

// 8-bit display value of a 10-bit code value.
uint8_t CineonLogToLinear(uint32_t code);
// 8-bit display value of a code of `bits` bits (8, 10, 12 or 16): the code is
// scaled to the 10-bit range, where the curve's reference points lie.
uint8_t CineonDisplayValue(uint32_t code, int bits);

std::unique_ptr<ImageDecoder> CreateCineonDecoder(std::span<const uint8_t> data);

}  // namespace pix
