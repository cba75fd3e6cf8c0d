// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the SGI run-length row expansion with rows of tens of megabytes,
// beyond the size of any stored input: the input's first two bytes give the
// width, the rest is a pattern of run codes repeated to fill the row.
#include "fuzz/decode_fuzz.h"
#include "fuzz/sgi_huge_row.h"
#include "imaging/engine/codecs/sgi_decoder.h"

namespace {
// Enough two-byte runs of 127 to carry a 32-bit column counter past its range.
constexpr size_t kRowBytes = size_t{40} << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint16_t width = uint16_t(data[0] << 8 | data[1]);
    const std::vector<uint8_t> file =
        fuzzing::SgiFileWithHugeRow(width, std::span<const uint8_t>(data + 2, size - 2), kRowBytes);
    return fuzzing::DecodeOnce(pix::CreateSgiDecoder, file.data(), file.size());
}
