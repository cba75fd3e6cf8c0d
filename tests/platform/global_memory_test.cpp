// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(GlobalMemory, ZeroInitBlockKeepsItsAddressAndSize) {
    HGLOBAL h = GlobalAlloc(GHND, 1000);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 1000u);
    auto* p = static_cast<uint8_t*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 1000), std::vector<uint8_t>(1000, 0));
    std::memset(p, 0xAB, 1000);
    EXPECT_FALSE(GlobalUnlock(h));
    // Locking again reaches the same bytes.
    auto* again = static_cast<uint8_t*>(GlobalLock(h));
    EXPECT_EQ(again, p);
    EXPECT_EQ(again[999], 0xAB);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, LockCountRisesAndFallsWithEachCall) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalLockCount(h), 0u);
    EXPECT_FALSE(GlobalUnlock(h)) << "unlocking an unlocked block";
    EXPECT_EQ(GlobalLockCount(h), 0u);
    void* a = GlobalLock(h);
    void* b = GlobalLock(h);
    EXPECT_EQ(a, b);
    EXPECT_EQ(GlobalLockCount(h), 2u);
    EXPECT_TRUE(GlobalUnlock(h)) << "one lock remains";
    EXPECT_EQ(GlobalLockCount(h), 1u);
    EXPECT_FALSE(GlobalUnlock(h)) << "no lock remains";
    EXPECT_EQ(GlobalLockCount(h), 0u);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, RefusesEmptyAndOversizedRequests) {
    EXPECT_EQ(GlobalAlloc(GHND, 0), nullptr);
    EXPECT_EQ(GlobalAlloc(GHND, kGlobalAllocLimit + 1), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, SIZE_MAX), nullptr);
}

// Every call on a handle that is not live fails cleanly: null, false, 0, and
// GlobalFree hands the handle back.
void ExpectRefused(HGLOBAL h) {
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalLockCount(h), 0u);
    EXPECT_EQ(GlobalFree(h), h);
}

TEST(GlobalMemory, NullAndForgedHandlesAreRefused) {
    ExpectRefused(nullptr);
    int local = 0;
    ExpectRefused(reinterpret_cast<HGLOBAL>(&local));
    ExpectRefused(reinterpret_cast<HGLOBAL>(uintptr_t{1}));
    ExpectRefused(reinterpret_cast<HGLOBAL>(UINTPTR_MAX));
}

TEST(GlobalMemory, FreedHandleIsRefusedAndFreeingTwiceIsRefused) {
    HGLOBAL h = GlobalAlloc(GHND, 64);
    ASSERT_NE(h, nullptr);
    ASSERT_NE(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFree(h), nullptr) << "a locked block can still be freed";
    ExpectRefused(h);
}

TEST(GlobalMemory, FreedHandleNeverReachesALaterBlock) {
    // Allocators reuse addresses; a stale handle must not start to name the
    // block that took its place.
    HGLOBAL stale = GlobalAlloc(GHND, 32);
    ASSERT_NE(stale, nullptr);
    ASSERT_EQ(GlobalFree(stale), nullptr);
    std::vector<HGLOBAL> later;
    for (int i = 0; i < 64; ++i) {
        later.push_back(GlobalAlloc(GHND, 32));
        ASSERT_NE(later.back(), nullptr);
        EXPECT_NE(later.back(), stale);
    }
    ExpectRefused(stale);
    for (HGLOBAL h : later) {
        EXPECT_EQ(GlobalLockCount(h), 0u) << "a stale handle changed a live block";
        EXPECT_EQ(GlobalFree(h), nullptr);
    }
}

TEST(GlobalMemory, BlocksAreIndependent) {
    HGLOBAL a = GlobalAlloc(GHND, 8);
    HGLOBAL b = GlobalAlloc(GHND, 8);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    std::memset(GlobalLock(a), 0x11, 8);
    std::memset(GlobalLock(b), 0x22, 8);
    EXPECT_EQ(GlobalLockCount(a), 1u);
    EXPECT_EQ(GlobalFree(a), nullptr);
    const auto* pb = static_cast<uint8_t*>(GlobalLock(b));
    EXPECT_EQ(pb[0], 0x22);
    EXPECT_EQ(pb[7], 0x22);
    EXPECT_EQ(GlobalLockCount(b), 2u);
    EXPECT_EQ(GlobalFree(b), nullptr);
}

}  // namespace
