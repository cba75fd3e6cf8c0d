// SPDX-License-Identifier: GPL-3.0-or-later
// Picture-sized blocks: alignment, zero fill, and the reuse of freed large
// blocks for the next picture.
#include "platform/pixel_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kMiB = size_t{1} << 20;

bool AllZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// Each test leaves nothing kept, so that the next one starts from no free block.
class PixelMemory : public testing::Test {
protected:
    void TearDown() override { KeepFreedPixelMemory(0); }
};

TEST_F(PixelMemory, BlocksAreZeroFilledWhenAskedAndLargeOnesAligned) {
    for (const size_t bytes : {size_t{100}, 2 * kMiB - 1, 2 * kMiB, 5 * kMiB + 3}) {
        auto* p = static_cast<uint8_t*>(AllocatePixelMemory(bytes, true));
        ASSERT_NE(p, nullptr) << bytes;
        EXPECT_TRUE(AllZero(p, bytes)) << bytes;
        if (bytes >= 2 * kMiB) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (2 * kMiB), 0u) << bytes;
        }
        std::memset(p, 0xA5, bytes);
        FreePixelMemory(p);
    }
    FreePixelMemory(nullptr);
}

TEST_F(PixelMemory, KeptBlockServesTheNextPictureAndIsZeroedAgain) {
    KeepFreedPixelMemory(64 * kMiB);
    const size_t bytes = 9 * kMiB + 17;
    auto* first = static_cast<uint8_t*>(AllocatePixelMemory(bytes, true));
    ASSERT_NE(first, nullptr);
    std::memset(first, 0xFF, bytes);
    FreePixelMemory(first);

    auto* again = static_cast<uint8_t*>(AllocatePixelMemory(bytes - 1000, true));
    EXPECT_EQ(again, first) << "the freed block is reused";
    EXPECT_TRUE(AllZero(again, bytes - 1000));
    // Taken: the next request gets a block of its own.
    auto* other = static_cast<uint8_t*>(AllocatePixelMemory(bytes, false));
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, again);
    FreePixelMemory(again);
    FreePixelMemory(other);
}

TEST_F(PixelMemory, BlockMoreThanTwiceTheRequestIsNotTaken) {
    KeepFreedPixelMemory(64 * kMiB);
    auto* big = static_cast<uint8_t*>(AllocatePixelMemory(20 * kMiB, false));
    ASSERT_NE(big, nullptr);
    std::memset(big, 1, 20 * kMiB);
    FreePixelMemory(big);
    auto* small = static_cast<uint8_t*>(AllocatePixelMemory(4 * kMiB, true));
    ASSERT_NE(small, nullptr);
    EXPECT_NE(small, big);
    EXPECT_TRUE(AllZero(small, 4 * kMiB));
    FreePixelMemory(small);
}

TEST_F(PixelMemory, NothingIsKeptBeyondTheLimit) {
    KeepFreedPixelMemory(4 * kMiB);
    auto* a = static_cast<uint8_t*>(AllocatePixelMemory(4 * kMiB, false));
    auto* b = static_cast<uint8_t*>(AllocatePixelMemory(4 * kMiB, false));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    FreePixelMemory(a);
    FreePixelMemory(b);  // over the limit: returned to the system
    auto* c = static_cast<uint8_t*>(AllocatePixelMemory(4 * kMiB, false));
    EXPECT_EQ(c, a);
    FreePixelMemory(c);
}

}  // namespace
