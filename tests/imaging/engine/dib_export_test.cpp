// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/dib_export.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/engine/status_codes.h"

namespace {

constexpr uint32_t kSize = sizeof(PixBitmap);

// Allocated bitmap whose byte at (row y, offset i) is (y * 31 + i * 7) & 255.
PixBitmap Patterned(int32_t width, int32_t height, int32_t bits) {
    PixBitmap b;
    EXPECT_EQ(P_InitBitmap(&b, kSize, width, height, bits), pix::kSuccess);
    EXPECT_EQ(P_AllocateBitmap(&b, kSize), pix::kSuccess);
    const int rowBytes = width * bits / 8;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < rowBytes; ++i) PixRow(b, y)[i] = static_cast<uint8_t>(y * 31 + i * 7);
    return b;
}

// The block's bytes, unlocked again.
std::vector<uint8_t> Bytes(HGLOBAL block) {
    const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
    std::vector<uint8_t> bytes(p, p + GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

TEST(ConvertToDIB, Packs24BitRowsBottomUpWithPadding) {
    PixBitmap b = Patterned(489, 367, 24);
    b.XResolution = 96;
    b.YResolution = 300;
    HGLOBAL block = P_ConvertToDIB(&b, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalLockCount(block), 0u) << "handed over unlocked";
    const std::vector<uint8_t> bytes = Bytes(block);
    ASSERT_EQ(bytes.size(), 40u + 1468u * 367u);

    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes.data(), sizeof h);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 489);
    EXPECT_EQ(h.biHeight, 367);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, BI_RGB);
    EXPECT_EQ(h.biSizeImage, 1468u * 367u);
    EXPECT_EQ(h.biXPelsPerMeter, 3780);
    EXPECT_EQ(h.biYPelsPerMeter, 11811);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);

    // Memory row r holds the bitmap's row 366 - r; the last 1 byte of each
    // 1468-byte row (489 * 3 = 1467) is zero padding.
    for (int r = 0; r < 367; ++r) {
        const uint8_t* row = bytes.data() + 40 + size_t(r) * 1468;
        ASSERT_EQ(std::memcmp(row, PixRow(b, 366 - r), 1467), 0) << "memory row " << r;
        ASSERT_EQ(row[1467], 0) << "padding of memory row " << r;
    }
    EXPECT_EQ(GlobalFree(block), nullptr);
    P_FreeBitmap(&b);
}

TEST(ConvertToDIB, Writes8BitWithAll256ColorEntries) {
    PixBitmap b = Patterned(37, 5, 8);
    b.Palette[0] = RGBQUAD{10, 20, 30, 0};
    b.Palette[255] = RGBQUAD{1, 2, 3, 0};
    HGLOBAL block = P_ConvertToDIB(&b, 0);
    ASSERT_NE(block, nullptr);
    const std::vector<uint8_t> bytes = Bytes(block);
    ASSERT_EQ(bytes.size(), 40u + 256u * 4u + 40u * 5u);
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes.data(), sizeof h);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biClrUsed, 256u);
    EXPECT_EQ(h.biSizeImage, 200u);
    EXPECT_EQ(std::memcmp(bytes.data() + 40, b.Palette, 1024), 0);
    EXPECT_EQ(bytes[40], 10);
    EXPECT_EQ(bytes[40 + 255 * 4 + 2], 3);
    for (int r = 0; r < 5; ++r) {
        const uint8_t* row = bytes.data() + 40 + 1024 + size_t(r) * 40;
        ASSERT_EQ(std::memcmp(row, PixRow(b, 4 - r), 37), 0) << "memory row " << r;
        ASSERT_EQ(row[37] | row[38] | row[39], 0) << "padding of memory row " << r;
    }
    GlobalFree(block);
    P_FreeBitmap(&b);
}

TEST(ConvertToDIB, RefusesWhatItCannotExport) {
    PixBitmap b = Patterned(4, 4, 24);
    EXPECT_EQ(P_ConvertToDIB(nullptr, 0), nullptr);
    EXPECT_EQ(P_ConvertToDIB(&b, 1), nullptr) << "only type 0";

    PixBitmap spoilt = b;
    spoilt.BytesPerLine = 11;  // shorter than 4 pixels
    EXPECT_EQ(P_ConvertToDIB(&spoilt, 0), nullptr);
    spoilt = b;
    spoilt.Height = 5;  // one row more than the memory holds
    EXPECT_EQ(P_ConvertToDIB(&spoilt, 0), nullptr);
    spoilt = b;
    spoilt.Height = -4;
    EXPECT_EQ(P_ConvertToDIB(&spoilt, 0), nullptr);
    spoilt = b;
    spoilt.BitsPerPixel = 32;
    EXPECT_EQ(P_ConvertToDIB(&spoilt, 0), nullptr);

    P_FreeBitmap(&b);
    EXPECT_EQ(P_ConvertToDIB(&b, 0), nullptr) << "no pixels";

    PixBitmap grey = Patterned(4, 4, 8);
    spoilt = grey;
    spoilt.Palette = nullptr;
    EXPECT_EQ(P_ConvertToDIB(&spoilt, 0), nullptr);
    P_FreeBitmap(&grey);
}

}  // namespace
