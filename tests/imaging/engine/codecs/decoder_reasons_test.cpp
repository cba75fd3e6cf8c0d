// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile files are refused with the reason the user reads: a TIFF whose
// directories loop is a damaged file, a JPEG with too many scans uses a
// feature the loader does not support, and a JPEG 2000 decode that runs out
// of memory says so.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "imaging/control/status/status_message.h"
#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/tiff_writer.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/decode_helpers.h"
#include "tests/support/address_sanitizer.h"

using namespace fixtures;

namespace {

std::string TextOf(const Bytes& file) {
    Decoded d(file);
    return StatusMessage(d.status);
}

void Put16(Bytes* b, uint32_t v) {
    b->push_back(uint8_t(v >> 8));
    b->push_back(uint8_t(v));
}
void Put32(Bytes* b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

// A grey JPEG 2000 codestream of one tile whose only packet is empty: a few
// dozen bytes that make the library hold every sample of the picture.
Bytes EmptyJ2k(uint32_t w, uint32_t h) {
    Bytes b{0xFF, 0x4F, 0xFF, 0x51};
    Put16(&b, 41);  // SIZ of one component
    Put16(&b, 0);
    for (uint32_t v : {w, h, 0u, 0u, w, h, 0u, 0u}) Put32(&b, v);
    Put16(&b, 1);
    b.insert(b.end(), {7, 1, 1});  // 8 bits, not subsampled
    // COD: one layer, no wavelet levels, 64 x 64 blocks, reversible.
    b.insert(b.end(), {0xFF, 0x52, 0, 12, 0, 0, 0, 1, 0, 0, 4, 4, 0, 1});
    b.insert(b.end(), {0xFF, 0x5C, 0, 4, 0x40, 0x40});  // QCD: no quantisation
    b.insert(b.end(), {0xFF, 0x90, 0, 10, 0, 0});       // SOT of tile 0
    Put32(&b, 12 + 2 + 1);
    b.insert(b.end(), {0, 1, 0xFF, 0x93, 0x00, 0xFF, 0xD9});
    return b;
}

TEST(DecoderReasons, JpegWithTooManyScans) {
    Bytes file = JpegFile(64, 48, 3, true);
    // The last scan repeated a thousand times.
    size_t sos = 0, eoi = 0;
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF) {
            if (file[i + 1] == 0xDA) sos = i;
            if (file[i + 1] == 0xD9) eoi = i;
        }
    Bytes many(file.begin(), file.begin() + long(eoi));
    for (int i = 1; i < 1000; ++i)
        many.insert(many.end(), file.begin() + long(sos), file.begin() + long(eoi));
    many.insert(many.end(), {0xFF, 0xD9});
    EXPECT_EQ(TextOf(many), "Feature not supported.");
}

TEST(DecoderReasons, TiffWhoseDirectoriesLoop) {
    PixBitmap page;
    P_InitBitmap(&page, sizeof(page), 4, 3, 24);
    ASSERT_EQ(P_AllocateBitmap(&page, sizeof(page)), pix::kSuccess);
    Bytes file;
    ASSERT_EQ(pix::EncodeTiff(page, pix::TiffCompression::kNone, &file), pix::kSuccess);
    P_FreeBitmap(&page);
    ASSERT_EQ(TextOf(file), "Function successful.");
    // The only directory names itself as the next one.
    const uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | uint32_t(file[7]) << 24;
    const size_t next = ifd + 2 + 12 * size_t(file[ifd] | file[ifd + 1] << 8);
    for (int i = 0; i < 4; ++i) file[next + size_t(i)] = file[4 + size_t(i)];
    EXPECT_EQ(TextOf(file), "Invalid file format.");
}

// In a child whose address space is capped below the picture (256 MiB of
// grey samples), the load ends with the memory status, not a format error.
TEST(DecoderReasons, Jp2DecodeOutOfMemory) {
    if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer's shadow memory needs the address space";
    const Bytes file = EmptyJ2k(16384, 16384);
    EXPECT_EXIT(
        {
            rlimit cap{};
            cap.rlim_cur = cap.rlim_max = rlim_t{192} << 20;
            if (::setrlimit(RLIMIT_AS, &cap) != 0) std::_Exit(100);
            Decoded d(file);
            std::_Exit(-d.status);
        },
        testing::ExitedWithCode(-pix::kNoMemory), "");
    EXPECT_EQ(StatusMessage(pix::kNoMemory), "Not enough memory available.");
}

}  // namespace
