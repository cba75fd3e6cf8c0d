// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/pix_dc.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/engine/dib_export.h"
#include "imaging/engine/status_codes.h"

namespace {

constexpr uint32_t kSize = sizeof(PixBitmap);

PixBitmap Allocated(int32_t width, int32_t height, int32_t bits) {
    PixBitmap b;
    EXPECT_EQ(P_InitBitmap(&b, kSize, width, height, bits), pix::kSuccess);
    EXPECT_EQ(P_AllocateBitmap(&b, kSize), pix::kSuccess);
    return b;
}

TEST(PixDC, DrawingLandsInTheBitmapsPixels) {
    // A bitmap exported as a DIB and drawn into a second bitmap of the same
    // size gives the same pixel memory.
    PixBitmap src = Allocated(489, 367, 24);
    for (int y = 0; y < 367; ++y)
        for (int i = 0; i < 489 * 3; ++i)
            PixRow(src, y)[i] = static_cast<uint8_t>(y * 13 + i * 5 + (i % 3) * 77);
    HGLOBAL block = P_ConvertToDIB(&src, 0);
    ASSERT_NE(block, nullptr);
    const auto* dib = static_cast<const uint8_t*>(GlobalLock(block));

    PixBitmap dst = Allocated(489, 367, 24);
    HDC dc = P_CreatePixDC(&dst);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 489, 367, 0, 0, 489, 367, dib + 40,
                            reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS, SRCCOPY),
              367);
    EXPECT_EQ(P_DeletePixDC(dc), pix::kSuccess);
    ASSERT_EQ(dst.Size, src.Size);
    EXPECT_EQ(std::memcmp(dst.Data, src.Data, src.Size), 0);

    GlobalUnlock(block);
    GlobalFree(block);
    P_FreeBitmap(&src);
    P_FreeBitmap(&dst);
}

TEST(PixDC, DrawsGreyIntoAn8BitGreyBitmap) {
    PixBitmap grey = Allocated(3, 2, 8);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 3;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 24;
    // Bottom-up: the first row in memory is the bitmap's lower row.
    const uint8_t bits[24] = {0,  0,  0,  90, 90, 90, 255, 255, 255, 0, 0, 0,
                              10, 10, 10, 20, 20, 20, 30,  30,  30,  0, 0, 0};
    HDC dc = P_CreatePixDC(&grey);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, bits,
                            reinterpret_cast<const BITMAPINFO*>(&h), DIB_RGB_COLORS, SRCCOPY),
              2);
    P_DeletePixDC(dc);
    EXPECT_EQ(PixRow(grey, 0)[0], 10);
    EXPECT_EQ(PixRow(grey, 0)[1], 20);
    EXPECT_EQ(PixRow(grey, 0)[2], 30);
    EXPECT_EQ(PixRow(grey, 1)[0], 0);
    EXPECT_EQ(PixRow(grey, 1)[1], 90);
    EXPECT_EQ(PixRow(grey, 1)[2], 255);
    P_FreeBitmap(&grey);
}

TEST(PixDC, NeedsAnAllocatedBitmapAndClosesOnce) {
    PixBitmap b;
    ASSERT_EQ(P_InitBitmap(&b, kSize, 4, 4, 24), pix::kSuccess);
    EXPECT_EQ(P_CreatePixDC(nullptr), nullptr);
    EXPECT_EQ(P_CreatePixDC(&b), nullptr) << "no pixels yet";
    ASSERT_EQ(P_AllocateBitmap(&b, kSize), pix::kSuccess);
    HDC dc = P_CreatePixDC(&b);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(P_DeletePixDC(dc), pix::kSuccess);
    EXPECT_EQ(P_DeletePixDC(dc), pix::kFailure);
    EXPECT_EQ(P_DeletePixDC(nullptr), pix::kFailure);
    P_FreeBitmap(&b);
}

}  // namespace
