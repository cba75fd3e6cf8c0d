// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/pix_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace {

constexpr uint32_t kSize = sizeof(PixBitmap);

TEST(PixBitmap, InitSetsGeometryWithoutPixels) {
    PixBitmap b;
    std::memset(&b, 0xFF, sizeof b);
    ASSERT_EQ(P_InitBitmap(&b, kSize, 489, 367, 24), pix::kSuccess);
    EXPECT_EQ(b.StructSize, kSize);
    EXPECT_EQ(b.Width, 489);
    EXPECT_EQ(b.Height, 367);
    EXPECT_EQ(b.BitsPerPixel, 24);
    EXPECT_EQ(b.BytesPerLine, 1468);
    EXPECT_EQ(b.Order, kOrderBGR);
    EXPECT_EQ(b.ViewPerspective, 1);
    EXPECT_EQ(b.Flags & kBitmapAllocated, 0u);
    EXPECT_EQ(b.Data, nullptr);
    EXPECT_EQ(b.Size, 0u);

    ASSERT_EQ(P_InitBitmap(&b, kSize, 37, 5, 8), pix::kSuccess);
    EXPECT_EQ(b.BytesPerLine, 40);
    EXPECT_EQ(b.Colors, 256);

    ASSERT_EQ(P_InitBitmap(&b, kSize, 0, 0, 0), pix::kSuccess);
    EXPECT_EQ(b.Width, 0);
    EXPECT_EQ(b.Height, 0);
}

TEST(PixBitmap, InitRefusesBadArguments) {
    PixBitmap b{};
    EXPECT_EQ(P_InitBitmap(nullptr, kSize, 4, 4, 24), pix::kInvalidBitmap);
    EXPECT_EQ(P_InitBitmap(&b, 164, 4, 4, 24), pix::kInvalidStructSize);
    EXPECT_EQ(P_InitBitmap(&b, kSize, 65536, 4, 24), pix::kInvalidSize);
    EXPECT_EQ(P_InitBitmap(&b, kSize, 4, 65536, 24), pix::kInvalidSize);
    EXPECT_EQ(P_InitBitmap(&b, kSize, 4, 4, 32), -27);
    EXPECT_EQ(P_InitBitmap(&b, kSize, 4, 4, 1), -27);
}

TEST(PixBitmap, AllocateGivesZeroedRowsAndAGreyRampFor8Bit) {
    PixBitmap b;
    ASSERT_EQ(P_InitBitmap(&b, kSize, 5, 3, 8), pix::kSuccess);
    ASSERT_EQ(P_AllocateBitmap(&b, kSize), pix::kSuccess);
    EXPECT_NE(b.Flags & kBitmapAllocated, 0u);
    ASSERT_NE(b.Data, nullptr);
    ASSERT_NE(b.Palette, nullptr);
    EXPECT_EQ(b.Size, 24u);  // 3 rows of 8 bytes
    for (uint64_t i = 0; i < b.Size; ++i) ASSERT_EQ(b.Data[i], 0);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = b.Palette[i];
        ASSERT_EQ(q.rgbBlue, i);
        ASSERT_EQ(q.rgbGreen, i);
        ASSERT_EQ(q.rgbRed, i);
        ASSERT_EQ(q.rgbReserved, 0);
    }
    EXPECT_EQ(PixRow(b, 2), b.Data + 16);
    EXPECT_EQ(P_FreeBitmap(&b), pix::kSuccess);
    EXPECT_EQ(b.Flags & kBitmapAllocated, 0u);
    EXPECT_EQ(b.Data, nullptr);
    EXPECT_EQ(b.Palette, nullptr);
    EXPECT_EQ(b.Width, 5) << "the geometry stays";
    EXPECT_EQ(P_FreeBitmap(&b), pix::kSuccess) << "freeing an empty bitmap is harmless";
}

// Geometry that P_AllocateBitmap refuses, with the status and without
// touching memory: the largest sides at 24 bits would need 12 GB.
struct BadGeometry {
    const char* name;
    int32_t width, height, bits, bytesPerLine;  // bytesPerLine 0: as P_InitBitmap set it
    int32_t status;
};

void PrintTo(const BadGeometry& g, std::ostream* os) {
    *os << g.name;
}

class PixBitmapAllocateRefuses : public testing::TestWithParam<BadGeometry> {};

TEST_P(PixBitmapAllocateRefuses, BeforeAllocating) {
    const BadGeometry g = GetParam();
    PixBitmap b;
    ASSERT_EQ(P_InitBitmap(&b, kSize, 4, 4, 24), pix::kSuccess);
    b.Width = g.width;
    b.Height = g.height;
    b.BitsPerPixel = g.bits;
    b.BytesPerLine =
        g.bytesPerLine ? g.bytesPerLine : static_cast<int32_t>(DibRowStride(g.width, g.bits));
    EXPECT_EQ(P_AllocateBitmap(&b, kSize), g.status);
    EXPECT_EQ(b.Flags & kBitmapAllocated, 0u);
    EXPECT_EQ(b.Data, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixBitmapAllocateRefuses,
    testing::Values(BadGeometry{"Largest24Bit", 65535, 65535, 24, 0, pix::kNoMemory},
                    BadGeometry{"Largest8Bit", 65535, 65535, 8, 0, pix::kNoMemory},
                    BadGeometry{"JustOverTheLimit", 65535, 16385, 8, 0, pix::kNoMemory},
                    BadGeometry{"WidthZero", 0, 4, 24, 12, pix::kInvalidSize},
                    BadGeometry{"HeightNegative", 4, -4, 24, 0, pix::kInvalidSize},
                    BadGeometry{"WidthOverSide", 65536, 1, 8, 0, pix::kInvalidSize},
                    BadGeometry{"Depth16", 4, 4, 16, 0, -27},
                    BadGeometry{"RowShorterThanPixels", 4, 4, 24, 11, pix::kInvalidParameter},
                    BadGeometry{"RowNegative", 4, 4, 24, -12, pix::kInvalidParameter}),
    [](const testing::TestParamInfo<BadGeometry>& info) { return info.param.name; });

TEST(PixBitmap, AllocateChecksItsArguments) {
    PixBitmap b;
    ASSERT_EQ(P_InitBitmap(&b, kSize, 4, 4, 24), pix::kSuccess);
    EXPECT_EQ(P_AllocateBitmap(nullptr, kSize), pix::kInvalidBitmap);
    EXPECT_EQ(P_AllocateBitmap(&b, kSize - 1), pix::kInvalidStructSize);
    EXPECT_EQ(P_FreeBitmap(nullptr), pix::kInvalidBitmap);
}

TEST(PixBitmap, CopyIsIndependentOfItsSource) {
    PixBitmap src, dst;
    ASSERT_EQ(P_InitBitmap(&src, kSize, 7, 3, 8), pix::kSuccess);
    ASSERT_EQ(P_AllocateBitmap(&src, kSize), pix::kSuccess);
    for (uint64_t i = 0; i < src.Size; ++i) src.Data[i] = static_cast<uint8_t>(i * 3 + 1);
    src.Palette[9] = RGBQUAD{1, 2, 3, 0};
    src.XResolution = 300;
    // dst already owns pixels, which the copy replaces.
    ASSERT_EQ(P_InitBitmap(&dst, kSize, 2, 2, 24), pix::kSuccess);
    ASSERT_EQ(P_AllocateBitmap(&dst, kSize), pix::kSuccess);

    ASSERT_EQ(P_CopyBitmap(&dst, &src, kSize), pix::kSuccess);
    EXPECT_EQ(dst.Width, 7);
    EXPECT_EQ(dst.Height, 3);
    EXPECT_EQ(dst.BitsPerPixel, 8);
    EXPECT_EQ(dst.XResolution, 300);
    ASSERT_NE(dst.Data, src.Data);
    ASSERT_NE(dst.Palette, src.Palette);
    ASSERT_EQ(dst.Size, src.Size);
    EXPECT_EQ(std::memcmp(dst.Data, src.Data, src.Size), 0);
    EXPECT_EQ(dst.Palette[9].rgbRed, 3);
    src.Data[0] = 0xEE;
    EXPECT_NE(dst.Data[0], 0xEE);

    EXPECT_EQ(P_CopyBitmap(&dst, &dst, kSize), pix::kSuccess) << "copy onto itself";
    EXPECT_NE(dst.Flags & kBitmapAllocated, 0u);
    P_FreeBitmap(&src);
    P_FreeBitmap(&dst);
}

TEST(PixBitmap, CopyOfABitmapWithoutPixelsHasNone) {
    PixBitmap src, dst;
    ASSERT_EQ(P_InitBitmap(&src, kSize, 9, 9, 24), pix::kSuccess);
    std::memset(&dst, 0, sizeof dst);
    ASSERT_EQ(P_CopyBitmap(&dst, &src, kSize), pix::kSuccess);
    EXPECT_EQ(dst.Width, 9);
    EXPECT_EQ(dst.Data, nullptr);
    EXPECT_EQ(dst.Flags & kBitmapAllocated, 0u);
    EXPECT_EQ(P_CopyBitmap(nullptr, &src, kSize), pix::kInvalidBitmap);
    EXPECT_EQ(P_CopyBitmap(&dst, &src, 0), pix::kInvalidStructSize);
}

TEST(PixBitmap, CopyHandleSharesThePixels) {
    PixBitmap src, view;
    ASSERT_EQ(P_InitBitmap(&src, kSize, 3, 3, 24), pix::kSuccess);
    ASSERT_EQ(P_AllocateBitmap(&src, kSize), pix::kSuccess);
    ASSERT_EQ(P_CopyBitmapHandle(&view, &src, kSize), pix::kSuccess);
    EXPECT_EQ(view.Data, src.Data);
    view.Data[4] = 77;
    EXPECT_EQ(src.Data[4], 77);
    P_FreeBitmap(&src);
}

}  // namespace
