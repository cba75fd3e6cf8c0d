// SPDX-License-Identifier: GPL-3.0-or-later
// LZHUF: LZSS over a 4096-byte ring window with adaptive Huffman coding of the
// literals and match lengths, as skin files store their container.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace skin {

// Ring window size, look-ahead (longest match) and the longest match that is
// still sent as literals.
inline constexpr int kLzRing = 4096;
inline constexpr int kLzLookAhead = 60;
inline constexpr int kLzThreshold = 2;

// Decodes `input` until at least `size` bytes have been produced; the last
// match may add up to kLzLookAhead - 1 more, which stay in the result. Bits
// past the end of `input` read as 0. Throws std::bad_alloc when the result
// cannot be held.
std::vector<uint8_t> LzhufDecode(std::span<const uint8_t> input, size_t size);

// As LzhufDecode, but empty when the input ends before `size` bytes are
// produced. A coder that does not flush its last bits leaves out less than a
// byte, so one byte past the end still reads as 0; a symbol that needs more
// means the stream was cut short.
std::optional<std::vector<uint8_t>> LzhufDecodeWhole(std::span<const uint8_t> input, size_t size);

// Encodes `data` so that LzhufDecode(result, data.size()) gives it back.
std::vector<uint8_t> LzhufEncode(std::span<const uint8_t> data);

}  // namespace skin
