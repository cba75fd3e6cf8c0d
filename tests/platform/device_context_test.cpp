// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/device_context.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace {

struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(b " << int(c.b) << ", g " << int(c.g) << ", r " << int(c.r) << ")";
}

// The test picture: a colour for every pixel, x and y counted from the top left.
Bgr Picture(int x, int y) {
    return {static_cast<uint8_t>(x * 7 + y * 13), static_cast<uint8_t>((x * 3) ^ (y * 5)),
            static_cast<uint8_t>(x + 2 * y * y)};
}

constexpr uint8_t kUntouched = 0xCD;
constexpr Bgr kUntouchedPixel{kUntouched, kUntouched, kUntouched};

// A packed DIB of the test picture (or of any pixel function) with its header.
struct Dib {
    std::vector<uint8_t> info;  // header + colour table
    std::vector<uint8_t> bits;

    BITMAPINFOHEADER& header() { return *reinterpret_cast<BITMAPINFOHEADER*>(info.data()); }
    const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

BITMAPINFOHEADER Header(int width, int height, int bits, uint32_t colors = 0) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biCompression = BI_RGB;
    h.biClrUsed = colors;
    return h;
}

// 24-bit; a negative height gives a top-down DIB. Row padding is filled with
// junk so that a reader that strays into it shows.
Dib MakeDib24(int width, int height) {
    Dib d;
    const BITMAPINFOHEADER h = Header(width, height, 24);
    d.info.resize(sizeof h);
    std::memcpy(d.info.data(), &h, sizeof h);
    const int rows = height < 0 ? -height : height;
    const uint32_t stride = DibRowStride(width, 24);
    d.bits.assign(size_t{stride} * rows, 0x5A);
    for (int y = 0; y < rows; ++y) {
        const int memRow = height < 0 ? y : rows - 1 - y;
        for (int x = 0; x < width; ++x) {
            const Bgr c = Picture(x, y);
            uint8_t* p = &d.bits[size_t{stride} * memRow + size_t(x) * 3];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return d;
}

// 8-bit with `colors` table entries; pixel (x, y) holds index (x * 5 + y * 3) % colors.
RGBQUAD TableEntry(int i) {
    return {static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 37),
            static_cast<uint8_t>(i * 11 + 3), 0};
}
int IndexAt(int x, int y, int colors) {
    return (x * 5 + y * 3) % colors;
}

Dib MakeDib8(int width, int height, uint32_t colors, uint32_t headerSize = 40) {
    Dib d;
    BITMAPINFOHEADER h = Header(width, height, 8, colors);
    h.biSize = headerSize;
    d.info.assign(headerSize + colors * 4, 0);
    std::memcpy(d.info.data(), &h, sizeof h);
    for (uint32_t i = 0; i < colors; ++i) {
        const RGBQUAD q = TableEntry(static_cast<int>(i));
        std::memcpy(&d.info[headerSize + i * 4], &q, 4);
    }
    const uint32_t stride = DibRowStride(width, 8);
    d.bits.assign(size_t{stride} * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            d.bits[size_t{stride} * (height - 1 - y) + x] =
                static_cast<uint8_t>(IndexAt(x, y, static_cast<int>(colors)));
    return d;
}

// Destination pixels framed by guard bytes before, after and at the end of
// every row; all of them start as kUntouched and must stay so.
class GuardedSurface {
public:
    static constexpr size_t kGuard = 256;
    static constexpr int kRowPad = 5;

    GuardedSurface(int width, int height, int bitsPerPixel = 24) : width_(width), height_(height) {
        bpp_ = bitsPerPixel;
        stride_ = width * (bitsPerPixel / 8) + kRowPad;
        mem_.assign(kGuard + size_t(stride_) * height + kGuard, kUntouched);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            grey_[i] = RGBQUAD{v, v, v, 0};
        }
    }

    DrawSurface surface() {
        DrawSurface s;
        s.bits = mem_.data() + kGuard;
        s.width = width_;
        s.height = height_;
        s.bitsPerPixel = bpp_;
        s.stride = stride_;
        if (bpp_ == 8) {
            s.palette = grey_.data();
            s.paletteSize = 256;
        }
        return s;
    }

    Bgr at(int x, int y) const {
        const uint8_t* p = &mem_[kGuard + size_t(stride_) * y + size_t(x) * 3];
        return {p[0], p[1], p[2]};
    }
    uint8_t index(int x, int y) const { return mem_[kGuard + size_t(stride_) * y + x]; }

    // Counts guard bytes that were written to.
    int damagedGuards() const {
        int damaged = 0;
        for (size_t i = 0; i < kGuard; ++i) {
            damaged += mem_[i] != kUntouched;
            damaged += mem_[mem_.size() - 1 - i] != kUntouched;
        }
        const int rowBytes = width_ * (bpp_ / 8);
        for (int y = 0; y < height_; ++y)
            for (int i = rowBytes; i < stride_; ++i)
                damaged += mem_[kGuard + size_t(stride_) * y + i] != kUntouched;
        return damaged;
    }

    bool untouched() const {
        for (uint8_t v : mem_)
            if (v != kUntouched) return false;
        return true;
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_, bpp_, stride_;
    std::vector<uint8_t> mem_;
    std::array<RGBQUAD, 256> grey_{};
};

// Opens a context on the surface for one test and closes it afterwards.
struct Dc {
    explicit Dc(GuardedSurface& s) : dc(CreateSurfaceDC(s.surface())) {}
    ~Dc() { DeleteSurfaceDC(dc); }
    HDC dc;
};

int Stretch(HDC dc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
            const Dib& dib) {
    return StretchDIBits(dc, xd, yd, wd, hd, xs, ys, ws, hs, dib.bits.data(), dib.bmi(),
                         DIB_RGB_COLORS, SRCCOPY);
}

TEST(StretchDIBits, CopiesA24BitBottomUpDibPixelForPixel) {
    const Dib dib = MakeDib24(489, 367);
    GuardedSurface dest(489, 367);
    Dc dc(dest);
    ASSERT_NE(dc.dc, nullptr);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 489, 367, 0, 0, 489, 367, dib), 367);
    int wrong = 0;
    for (int y = 0; y < 367; ++y)
        for (int x = 0; x < 489; ++x)
            if (dest.at(x, y) != Picture(x, y) && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << dest.at(x, y)
                              << ", expected " << Picture(x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(dest.damagedGuards(), 0);
}

TEST(StretchDIBits, CopiesATopDownDibTheSameWay) {
    const Dib dib = MakeDib24(31, -17);
    GuardedSurface dest(31, 17);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 31, 17, 0, 0, 31, 17, dib), 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x) ASSERT_EQ(dest.at(x, y), Picture(x, y)) << x << "," << y;
    EXPECT_EQ(dest.damagedGuards(), 0);
}

TEST(StretchDIBits, CopiesAnOddWidth8BitDibThroughItsColorTable) {
    // Width 37 pads each row to 40 bytes; 200 table entries.
    const Dib dib = MakeDib8(37, 23, 200);
    GuardedSurface dest(37, 23);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 37, 23, 0, 0, 37, 23, dib), 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const RGBQUAD q = TableEntry(IndexAt(x, y, 200));
            ASSERT_EQ(dest.at(x, y), (Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed})) << x << "," << y;
        }
    EXPECT_EQ(dest.damagedGuards(), 0);
}

TEST(StretchDIBits, FindsTheColorTableAfterALongerHeader) {
    // A 124-byte header: the table starts after the whole header.
    const Dib dib = MakeDib8(9, 4, 16, 124);
    GuardedSurface dest(9, 4);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 9, 4, 0, 0, 9, 4, dib), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            const RGBQUAD q = TableEntry(IndexAt(x, y, 16));
            ASSERT_EQ(dest.at(x, y), (Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed})) << x << "," << y;
        }
}

TEST(StretchDIBits, IndexBeyondTheTableGivesBlack) {
    Dib dib = MakeDib8(4, 1, 2);
    dib.bits[3] = 7;  // only entries 0 and 1 exist
    GuardedSurface dest(4, 1);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 4, 1, 0, 0, 4, 1, dib), 1);
    EXPECT_EQ(dest.at(3, 0), (Bgr{0, 0, 0}));
}

// One call at 1:1 scale with a destination and a source rectangle that may
// stick out of either bitmap.
struct ClipCase {
    const char* name;
    int xDest, yDest, width, height, xSrc, ySrc;
    int rows;  // rows written
};

void PrintTo(const ClipCase& c, std::ostream* os) {
    *os << c.name;
}

class StretchDIBitsClip : public testing::TestWithParam<ClipCase> {};

// Source picture 20 x 15 (bottom-up, source y counted from its bottom edge),
// destination 16 x 12.
TEST_P(StretchDIBitsClip, WritesExactlyTheOverlapOfBothBitmaps) {
    const ClipCase c = GetParam();
    constexpr int kSrcW = 20, kSrcH = 15;
    const Dib dib = MakeDib24(kSrcW, kSrcH);
    GuardedSurface dest(16, 12);
    Dc dc(dest);
    EXPECT_EQ(
        Stretch(dc.dc, c.xDest, c.yDest, c.width, c.height, c.xSrc, c.ySrc, c.width, c.height, dib),
        c.rows);
    // The source rectangle's top row, counted from the picture's top.
    const int srcTop = kSrcH - c.ySrc - c.height;
    for (int y = 0; y < dest.height(); ++y)
        for (int x = 0; x < dest.width(); ++x) {
            const int dx = x - c.xDest, dy = y - c.yDest;
            const int px = c.xSrc + dx, py = srcTop + dy;
            const bool inside = dx >= 0 && dx < c.width && dy >= 0 && dy < c.height && px >= 0 &&
                                px < kSrcW && py >= 0 && py < kSrcH;
            ASSERT_EQ(dest.at(x, y), inside ? Picture(px, py) : kUntouchedPixel)
                << "at " << x << "," << y;
        }
    EXPECT_EQ(dest.damagedGuards(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StretchDIBitsClip,
    testing::Values(ClipCase{"SourceLargerThanDestination", 0, 0, 20, 15, 0, 0, 12},
                    ClipCase{"DestinationStartsLeftAndAbove", -5, -3, 20, 15, 0, 0, 12},
                    ClipCase{"DestinationRunsOffRightAndBottom", 10, 8, 20, 15, 0, 0, 4},
                    ClipCase{"InnerRectangle", 2, 3, 6, 4, 5, 6, 4},
                    ClipCase{"DestinationFarOutside", 100, 100, 20, 15, 0, 0, 0},
                    ClipCase{"DestinationLeftOfSurface", -30, 0, 20, 15, 0, 0, 0},
                    ClipCase{"SourceRunsOffRight", 0, 0, 10, 15, 15, 0, 12},
                    ClipCase{"SourceRunsOffTop", 0, 0, 10, 10, 0, 10, 5},
                    ClipCase{"SourceStartsLeftOfPicture", 0, 0, 10, 5, -3, 0, 5},
                    ClipCase{"SourceEntirelyOutside", 0, 0, 10, 5, 40, 40, 0}),
    [](const testing::TestParamInfo<ClipCase>& info) { return info.param.name; });

TEST(StretchDIBits, ExtremeRectanglesNeverWriteOutsideTheDestination) {
    const Dib dib = MakeDib24(20, 15);
    GuardedSurface dest(16, 12);
    Dc dc(dest);
    const std::array<std::array<int, 8>, 7> calls{{
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {0, 0, INT_MAX, INT_MAX, 0, 0, 20, 15},
        {15, 11, INT_MIN, INT_MIN, 0, 0, 20, 15},
        {0, 0, 16, 12, INT_MIN, INT_MIN, INT_MIN, INT_MIN},
        {-1, -1, 1, 1, 0, 0, 20, 15},
        {INT_MIN, 0, INT_MAX, 12, 0, 0, INT_MAX, 15},
    }};
    for (const auto& a : calls) {
        const int rows = Stretch(dc.dc, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], dib);
        EXPECT_GE(rows, 0);
        EXPECT_LE(rows, 12);
        EXPECT_EQ(dest.damagedGuards(), 0);
    }
}

TEST(StretchDIBits, EmptyExtentsDrawNothing) {
    const Dib dib = MakeDib24(4, 4);
    GuardedSurface dest(4, 4);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 0, 4, 0, 0, 4, 4, dib), 0);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 4, 4, 0, 0, 4, 0, dib), 0);
    EXPECT_TRUE(dest.untouched());
}

TEST(StretchDIBits, DoublesEverySourcePixelWhenScalingUp) {
    const Dib dib = MakeDib24(3, 2);
    GuardedSurface dest(6, 4);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 6, 4, 0, 0, 3, 2, dib), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(dest.at(x, y), Picture(x / 2, y / 2)) << x << "," << y;
}

TEST(StretchDIBits, ScalingDownPicksFromEachBlock) {
    // Uniform 3 x 3 blocks, shrunk to one pixel per block.
    Dib dib = MakeDib24(9, 6);
    const uint32_t stride = DibRowStride(9, 24);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const Bgr c = Picture(x / 3, y / 3);
            std::memcpy(&dib.bits[stride * (5 - y) + x * 3], &c, 3);
        }
    GuardedSurface dest(3, 2);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 3, 2, 0, 0, 9, 6, dib), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(dest.at(x, y), Picture(x, y)) << x << "," << y;
    EXPECT_EQ(dest.damagedGuards(), 0);
}

TEST(StretchDIBits, NegativeExtentsMirror) {
    const Dib dib = MakeDib24(5, 4);
    struct Mirror {
        int xd, yd, wd, hd, ws, hs;
        bool flipX, flipY;
    };
    const Mirror cases[] = {
        {5, 0, -5, 4, 5, 4, true, false},    // destination runs leftwards
        {0, 4, 5, -4, 5, 4, false, true},    // destination runs upwards
        {5, 4, -5, -4, 5, 4, true, true},    // both
        {0, 0, 5, 4, -5, 4, true, false},    // source extent negative (from x 5 leftwards)
        {5, 0, -5, 4, -5, 4, false, false},  // both negative cancel out
    };
    for (const Mirror& m : cases) {
        GuardedSurface dest(5, 4);
        Dc dc(dest);
        const int xs = m.ws < 0 ? 5 : 0;
        EXPECT_EQ(Stretch(dc.dc, m.xd, m.yd, m.wd, m.hd, xs, 0, m.ws, m.hs, dib), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(dest.at(x, y), Picture(m.flipX ? 4 - x : x, m.flipY ? 3 - y : y))
                    << "case " << (&m - cases) << " at " << x << "," << y;
        EXPECT_EQ(dest.damagedGuards(), 0);
    }
}

TEST(StretchDIBits, Draws24BitIntoAPaletteSurfaceByNearestColor) {
    Dib dib = MakeDib24(3, 1);
    const uint8_t row[] = {10, 10, 10, 200, 201, 199, 0, 0, 255};
    std::memcpy(dib.bits.data(), row, sizeof row);
    GuardedSurface dest(3, 1, 8);  // grey ramp palette
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 3, 1, 0, 0, 3, 1, dib), 1);
    EXPECT_EQ(dest.index(0, 0), 10);
    EXPECT_EQ(dest.index(1, 0), 200);
    EXPECT_EQ(dest.index(2, 0), 85);  // (0, 0, 255) is nearest to grey 85
    EXPECT_EQ(dest.damagedGuards(), 0);
}

// Headers, arguments and contexts that StretchDIBits refuses with GDI_ERROR,
// leaving the destination untouched.
struct BadCall {
    const char* name;
    void (*spoil)(BITMAPINFOHEADER&);
};

void PrintTo(const BadCall& c, std::ostream* os) {
    *os << c.name;
}

class StretchDIBitsRefuses : public testing::TestWithParam<BadCall> {};

TEST_P(StretchDIBitsRefuses, HeaderItCannotUse) {
    Dib dib = MakeDib8(8, 8, 256);
    GetParam().spoil(dib.header());
    GuardedSurface dest(8, 8);
    Dc dc(dest);
    EXPECT_EQ(Stretch(dc.dc, 0, 0, 8, 8, 0, 0, 8, 8, dib), GDI_ERROR);
    EXPECT_TRUE(dest.untouched());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, StretchDIBitsRefuses,
    testing::Values(BadCall{"SizeZero", [](BITMAPINFOHEADER& h) { h.biSize = 0; }},
                    BadCall{"CoreHeaderSize", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
                    BadCall{"SizeOneShort", [](BITMAPINFOHEADER& h) { h.biSize = 39; }},
                    BadCall{"SizeOneOver", [](BITMAPINFOHEADER& h) { h.biSize = 41; }},
                    BadCall{"SizeHuge", [](BITMAPINFOHEADER& h) { h.biSize = 0xFFFFFFF0u; }},
                    BadCall{"NoPlanes", [](BITMAPINFOHEADER& h) { h.biPlanes = 0; }},
                    BadCall{"TwoPlanes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
                    BadCall{"Depth0", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; }},
                    BadCall{"Depth1", [](BITMAPINFOHEADER& h) { h.biBitCount = 1; }},
                    BadCall{"Depth4", [](BITMAPINFOHEADER& h) { h.biBitCount = 4; }},
                    BadCall{"Depth16", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }},
                    BadCall{"Depth32", [](BITMAPINFOHEADER& h) { h.biBitCount = 32; }},
                    BadCall{"Rle8", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
                    BadCall{"Rle4", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE4; }},
                    BadCall{"Bitfields",
                            [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
                    BadCall{"WidthZero", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
                    BadCall{"WidthNegative", [](BITMAPINFOHEADER& h) { h.biWidth = -8; }},
                    BadCall{"HeightZero", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
                    BadCall{"HeightMin", [](BITMAPINFOHEADER& h) { h.biHeight = INT32_MIN; }},
                    BadCall{"TooManyColours", [](BITMAPINFOHEADER& h) { h.biClrUsed = 257; }},
                    BadCall{"RowTooLong",
                            [](BITMAPINFOHEADER& h) {
                                h.biBitCount = 24;
                                h.biWidth = INT32_MAX;
                            }}),
    [](const testing::TestParamInfo<BadCall>& info) { return info.param.name; });

TEST(StretchDIBits, RefusesBadArgumentsAndContexts) {
    const Dib dib = MakeDib24(4, 4);
    GuardedSurface dest(4, 4);
    Dc dc(dest);
    const auto* bits = dib.bits.data();
    EXPECT_EQ(
        StretchDIBits(dc.dc, 0, 0, 4, 4, 0, 0, 4, 4, nullptr, dib.bmi(), DIB_RGB_COLORS, SRCCOPY),
        GDI_ERROR);
    EXPECT_EQ(StretchDIBits(dc.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, nullptr, DIB_RGB_COLORS, SRCCOPY),
              GDI_ERROR);
    EXPECT_EQ(StretchDIBits(dc.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, dib.bmi(), 1 /* palette indices */,
                            SRCCOPY),
              GDI_ERROR);
    EXPECT_EQ(StretchDIBits(dc.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, dib.bmi(), DIB_RGB_COLORS,
                            0x00EE0086 /* SRCPAINT */),
              GDI_ERROR);
    EXPECT_EQ(
        StretchDIBits(nullptr, 0, 0, 4, 4, 0, 0, 4, 4, bits, dib.bmi(), DIB_RGB_COLORS, SRCCOPY),
        GDI_ERROR);
    EXPECT_TRUE(dest.untouched());

    // A closed context is refused, and closing it twice fails.
    HDC closed = CreateSurfaceDC(dest.surface());
    ASSERT_NE(closed, nullptr);
    EXPECT_TRUE(DeleteSurfaceDC(closed));
    EXPECT_FALSE(DeleteSurfaceDC(closed));
    EXPECT_EQ(
        StretchDIBits(closed, 0, 0, 4, 4, 0, 0, 4, 4, bits, dib.bmi(), DIB_RGB_COLORS, SRCCOPY),
        GDI_ERROR);
    EXPECT_TRUE(dest.untouched());
}

TEST(CreateSurfaceDC, RefusesSurfacesThatDescribeNoUsableMemory) {
    uint8_t mem[64] = {};
    RGBQUAD pal[2] = {};
    const DrawSurface good{mem, 4, 4, 24, 12, nullptr, 0};
    HDC dc = CreateSurfaceDC(good);
    EXPECT_NE(dc, nullptr);
    EXPECT_TRUE(DeleteSurfaceDC(dc));

    const DrawSurface bad[] = {
        {nullptr, 4, 4, 24, 12, nullptr, 0},  // no memory
        {mem, 0, 4, 24, 12, nullptr, 0},      // no width
        {mem, 4, -1, 24, 12, nullptr, 0},     // negative height
        {mem, 4, 4, 24, 11, nullptr, 0},      // row shorter than the pixels
        {mem, 4, 4, 32, 16, nullptr, 0},      // depth not drawn into
        {mem, 4, 4, 8, 4, nullptr, 0},        // 8-bit without palette
        {mem, 4, 4, 8, 3, pal, 2},            // 8-bit row too short
    };
    for (const DrawSurface& s : bad) EXPECT_EQ(CreateSurfaceDC(s), nullptr) << (&s - bad);
}

}  // namespace
