// SPDX-License-Identifier: GPL-3.0-or-later
// Builds an RLE SGI file whose single row holds far more run data than any
// stored input could: a pattern of run codes repeated to a given length. Used
// by the huge-row fuzz target and by the decoder's regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fuzzing {

inline std::vector<uint8_t> SgiFileWithHugeRow(uint16_t width, std::span<const uint8_t> pattern,
                                               size_t rowBytes) {
    constexpr size_t kHeader = 512;
    constexpr size_t kRowData = kHeader + 8;  // one start and one length entry
    std::vector<uint8_t> file(kRowData + rowBytes, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        file[at] = uint8_t(v >> 8);
        file[at + 1] = uint8_t(v);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, uint16_t(v >> 16));
        put16(at + 2, uint16_t(v));
    };
    put16(0, 474);  // magic
    file[2] = 1;    // RLE
    file[3] = 1;    // one byte per sample
    put16(4, 2);    // one channel of rows
    put16(6, width);
    put16(8, 1);  // one row
    put16(10, 1);
    put32(kHeader, uint32_t(kRowData));
    put32(kHeader + 4, uint32_t(rowBytes));
    if (!pattern.empty())
        for (size_t i = 0; i < rowBytes; ++i) file[kRowData + i] = pattern[i % pattern.size()];
    return file;
}

}  // namespace fuzzing
