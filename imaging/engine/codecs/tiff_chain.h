// SPDX-License-Identifier: GPL-3.0-or-later
// Walks the chain of directories of a TIFF file (classic or BigTIFF) in its
// bytes, so that a chain that loops or never ends is refused before libtiff
// follows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pix {

// Most directories a file may have; a longer chain is refused like a loop.
constexpr size_t kMaxTiffDirectories = 65535;

enum class TiffChainEnd {
    kZero,     // the last directory's next offset is 0
    kLoop,     // a next offset names a directory already in the chain
    kTooLong,  // more than kMaxTiffDirectories directories
    kOutside,  // a directory or its next offset lies outside the bytes
};

struct TiffChain {
    TiffChainEnd end = TiffChainEnd::kOutside;
    std::vector<uint64_t> offsets;  // the directories read, in chain order
};

TiffChain WalkTiffChain(std::span<const uint8_t> data);

}  // namespace pix
