// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/bitmap_list.h"

#include <gtest/gtest.h>

#include "imaging/engine/status_codes.h"

namespace {

constexpr uint32_t kSize = sizeof(PixBitmap);

// An allocated 24-bit bitmap whose first byte names it.
PixBitmap Page(int32_t width, uint8_t mark) {
    PixBitmap b;
    EXPECT_EQ(P_InitBitmap(&b, kSize, width, 2, 24), pix::kSuccess);
    EXPECT_EQ(P_AllocateBitmap(&b, kSize), pix::kSuccess);
    b.Data[0] = mark;
    return b;
}

uint32_t Count(HBITMAPLIST list) {
    uint32_t n = 12345;
    EXPECT_EQ(P_GetBitmapListCount(list, &n), pix::kSuccess);
    return n;
}

// The marks of the items in order.
std::vector<int> Marks(HBITMAPLIST list) {
    std::vector<int> marks;
    for (uint32_t i = 0; i < Count(list); ++i) {
        PixBitmap b;
        EXPECT_EQ(P_GetBitmapListItem(list, i, &b, kSize), pix::kSuccess);
        marks.push_back(b.Data[0]);
    }
    return marks;
}

class BitmapList : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(P_CreateBitmapList(&list_), pix::kSuccess); }
    void TearDown() override { EXPECT_EQ(P_DestroyBitmapList(list_), pix::kSuccess); }
    HBITMAPLIST list_ = nullptr;
};

TEST_F(BitmapList, InsertsAtTheIndexOrAppends) {
    EXPECT_EQ(Count(list_), 0u);
    PixBitmap a = Page(4, 1), b = Page(4, 2), c = Page(4, 3), d = Page(4, 4);
    EXPECT_EQ(P_InsertBitmapListItem(list_, 0, &a, kSize), pix::kSuccess);
    EXPECT_EQ(P_InsertBitmapListItem(list_, 99, &b, kSize), pix::kSuccess);  // appends
    EXPECT_EQ(P_InsertBitmapListItem(list_, 1, &c, kSize), pix::kSuccess);   // between
    EXPECT_EQ(P_InsertBitmapListItem(list_, 0, &d, kSize), pix::kSuccess);   // in front
    EXPECT_EQ(Marks(list_), (std::vector<int>{4, 1, 3, 2}));
}

TEST_F(BitmapList, FetchedItemSharesTheListsPixels) {
    PixBitmap a = Page(6, 9);
    ASSERT_EQ(P_InsertBitmapListItem(list_, 0, &a, kSize), pix::kSuccess);
    PixBitmap got;
    ASSERT_EQ(P_GetBitmapListItem(list_, 0, &got, kSize), pix::kSuccess);
    EXPECT_EQ(got.Data, a.Data);
    EXPECT_EQ(got.Width, 6);
    got.Data[1] = 55;  // drawn in place
    PixBitmap again;
    ASSERT_EQ(P_GetBitmapListItem(list_, 0, &again, kSize), pix::kSuccess);
    EXPECT_EQ(again.Data[1], 55);
}

TEST_F(BitmapList, SetReplacesTheDescriptor) {
    PixBitmap a = Page(4, 1);
    ASSERT_EQ(P_InsertBitmapListItem(list_, 0, &a, kSize), pix::kSuccess);
    PixBitmap replacement = Page(8, 2);
    ASSERT_EQ(P_SetBitmapListItem(list_, 0, &replacement, kSize), pix::kSuccess);
    P_FreeBitmap(&a);  // the list no longer refers to the old pixels
    PixBitmap got;
    ASSERT_EQ(P_GetBitmapListItem(list_, 0, &got, kSize), pix::kSuccess);
    EXPECT_EQ(got.Width, 8);
    EXPECT_EQ(got.Data, replacement.Data);
    EXPECT_EQ(Count(list_), 1u);
}

TEST_F(BitmapList, RemoveTakesTheItemOut) {
    PixBitmap a = Page(4, 1), b = Page(4, 2), c = Page(4, 3);
    for (PixBitmap* p : {&a, &b, &c}) ASSERT_EQ(P_InsertBitmapListItem(list_, 99, p, kSize), 1);
    EXPECT_EQ(P_RemoveBitmapListItem(list_, 1), pix::kSuccess);
    EXPECT_EQ(Marks(list_), (std::vector<int>{1, 3}));
    EXPECT_EQ(P_RemoveBitmapListItem(list_, 2), pix::kInvalidParameter);
    EXPECT_EQ(P_RemoveBitmapListItem(list_, 0), pix::kSuccess);
    EXPECT_EQ(P_RemoveBitmapListItem(list_, 0), pix::kSuccess);
    EXPECT_EQ(Count(list_), 0u);
    EXPECT_EQ(P_RemoveBitmapListItem(list_, 0), pix::kInvalidParameter);
}

TEST_F(BitmapList, RefusesBadIndexesSizesAndPointers) {
    PixBitmap a = Page(4, 1), out;
    ASSERT_EQ(P_InsertBitmapListItem(list_, 0, &a, kSize), pix::kSuccess);
    EXPECT_EQ(P_GetBitmapListItem(list_, 1, &out, kSize), pix::kInvalidParameter);
    EXPECT_EQ(P_SetBitmapListItem(list_, 1, &a, kSize), pix::kInvalidParameter);
    EXPECT_EQ(P_GetBitmapListItem(list_, 0, nullptr, kSize), pix::kInvalidBitmap);
    EXPECT_EQ(P_SetBitmapListItem(list_, 0, nullptr, kSize), pix::kInvalidBitmap);
    EXPECT_EQ(P_InsertBitmapListItem(list_, 0, nullptr, kSize), pix::kInvalidBitmap);
    EXPECT_EQ(P_GetBitmapListItem(list_, 0, &out, 164), pix::kInvalidStructSize);
    EXPECT_EQ(P_SetBitmapListItem(list_, 0, &a, 0), pix::kInvalidStructSize);
    EXPECT_EQ(P_InsertBitmapListItem(list_, 0, &a, kSize + 1), pix::kInvalidStructSize);
    EXPECT_EQ(P_GetBitmapListCount(list_, nullptr), pix::kInvalidParameter);
    EXPECT_EQ(Count(list_), 1u) << "refused calls change nothing";
}

TEST(BitmapListHandle, NullAndDestroyedListsAreRefused) {
    PixBitmap b{};
    uint32_t n = 0;
    EXPECT_EQ(P_CreateBitmapList(nullptr), pix::kInvalidParameter);
    HBITMAPLIST list = nullptr;
    ASSERT_EQ(P_CreateBitmapList(&list), pix::kSuccess);
    PixBitmap page = Page(3, 1);
    ASSERT_EQ(P_InsertBitmapListItem(list, 0, &page, kSize), pix::kSuccess);
    ASSERT_EQ(P_DestroyBitmapList(list), pix::kSuccess);  // frees the page too
    for (HBITMAPLIST h : {static_cast<HBITMAPLIST>(nullptr), list}) {
        EXPECT_EQ(P_DestroyBitmapList(h), pix::kInvalidParameter);
        EXPECT_EQ(P_InsertBitmapListItem(h, 0, &b, kSize), pix::kInvalidParameter);
        EXPECT_EQ(P_GetBitmapListItem(h, 0, &b, kSize), pix::kInvalidParameter);
        EXPECT_EQ(P_SetBitmapListItem(h, 0, &b, kSize), pix::kInvalidParameter);
        EXPECT_EQ(P_RemoveBitmapListItem(h, 0), pix::kInvalidParameter);
        EXPECT_EQ(P_GetBitmapListCount(h, &n), pix::kInvalidParameter);
    }
}

}  // namespace
