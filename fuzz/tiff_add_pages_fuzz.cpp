// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes adding a page to an existing TIFF file: the file's bytes come from
// outside (whatever is at the save's path), and its chain of directories is
// read and relinked for insert and replace.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/engine/codecs/tiff_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixBitmap page;
    P_InitBitmap(&page, sizeof(page), 3, 2, 24);
    if (P_AllocateBitmap(&page, sizeof(page)) != 1) return 0;
    const pix::TiffPage pages[] = {{&page, 24}};
    const std::span<const uint8_t> existing(data, size);
    for (const pix::PagePlacement placement :
         {pix::PagePlacement::kAppend, pix::PagePlacement::kInsert, pix::PagePlacement::kReplace}) {
        std::vector<uint8_t> out;
        pix::AddTiffPages(existing, pages, pix::TiffEncoding{}, placement, 1, &out);
    }
    P_FreeBitmap(&page);
    return 0;
}
