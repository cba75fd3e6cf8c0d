// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/undo_history.h"

#include <gtest/gtest.h>

namespace {

// A 24-bit picture of paper with one dark pixel at `mark`.
ViewPicture Drawing(size_t mark, bool visible = true) {
    ViewPicture p;
    p.hasBitmap = true;
    p.visible = visible;
    p.width = 40;
    p.height = 30;
    p.bitsPerPixel = 24;
    p.bytesPerLine = 120;
    p.pixels.assign(120 * 30, 255);
    p.pixels[mark] = 7;
    return p;
}

TEST(UndoHistory, StepsGoBackAndForthInOrder) {
    UndoHistory history;
    history.Reset(Drawing(0, false));
    EXPECT_FALSE(history.Undo());
    for (size_t i = 1; i <= 3; ++i) EXPECT_TRUE(history.Observe(Drawing(i)));
    // The same state again, or one unchanged by a cancelled dialog, is no step.
    EXPECT_FALSE(history.Observe(Drawing(3)));
    EXPECT_EQ(history.UndoSteps(), 3u);
    EXPECT_EQ(*history.Undo(), Drawing(2));
    EXPECT_EQ(*history.Undo(), Drawing(1));
    EXPECT_EQ(*history.Redo(), Drawing(2));
    EXPECT_EQ(*history.Undo(), Drawing(1));
    EXPECT_EQ(*history.Undo(), Drawing(0, false));
    EXPECT_FALSE(history.Undo());
    EXPECT_EQ(history.RedoSteps(), 3u);
    // A visibility change alone is a change too; a new step drops the redo.
    EXPECT_TRUE(history.Observe(Drawing(0, true)));
    EXPECT_EQ(history.RedoSteps(), 0u);
    EXPECT_FALSE(history.Redo());
}

TEST(UndoHistory, KeepsTheNewestStepsUpToItsLimit) {
    UndoHistory history;
    history.Reset(Drawing(0));
    const size_t made = UndoHistory::kMaxSteps + 5;
    for (size_t i = 1; i <= made; ++i) history.Observe(Drawing(i));
    EXPECT_EQ(history.UndoSteps(), UndoHistory::kMaxSteps);
    for (size_t i = made; i-- > made - UndoHistory::kMaxSteps;)
        EXPECT_EQ(*history.Undo(), Drawing(i));
    EXPECT_FALSE(history.Undo());
    // Paper packs small: each of these 3600-byte states takes far less.
    EXPECT_LT(history.StoredBytes(), (UndoHistory::kMaxSteps + 1) * 200);
}

TEST(UndoHistory, KnowsWhetherTheCurrentStateIsTheSavedOne) {
    UndoHistory history;
    history.Reset(Drawing(0));
    EXPECT_FALSE(history.ChangedSinceSaved());
    history.Observe(Drawing(1));
    EXPECT_TRUE(history.ChangedSinceSaved());
    history.MarkSaved();
    EXPECT_FALSE(history.ChangedSinceSaved());
    history.Observe(Drawing(2));
    EXPECT_TRUE(history.ChangedSinceSaved());
    history.Undo();
    EXPECT_FALSE(history.ChangedSinceSaved());
    history.Undo();
    EXPECT_TRUE(history.ChangedSinceSaved());
    // Coming back to the same pixels by another way is not the saved state.
    history.Observe(Drawing(1));
    EXPECT_TRUE(history.ChangedSinceSaved());
    history.Reset(Drawing(5));
    EXPECT_FALSE(history.ChangedSinceSaved());
}

TEST(UndoHistory, PalettePicturesAndEmptyViewsRoundTrip) {
    ViewPicture palette;
    palette.hasBitmap = true;
    palette.width = 5;
    palette.height = 2;
    palette.bitsPerPixel = 8;
    palette.bytesPerLine = 8;
    palette.colors = 3;
    palette.pixels = {0, 1, 2, 1, 0, 9, 9, 9, 2, 2, 1, 0, 1, 9, 9, 9};
    palette.palette.assign(1024, 0);
    palette.palette[4] = 200;
    EXPECT_EQ(UndoHistory::Unpack(UndoHistory::Pack(palette)), palette);
    const ViewPicture empty;
    EXPECT_EQ(UndoHistory::Unpack(UndoHistory::Pack(empty)), empty);
}

}  // namespace
