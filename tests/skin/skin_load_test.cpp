// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a whole skin file: the refusals and messages, and the skin objects
// that a description builds, bitmaps included.
#include "skin/skin_load.h"

#include <gtest/gtest.h>

#include <string>

#include "skin/skin_container.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

using Bytes = std::vector<uint8_t>;
using skin::LoadStatus;
using skin::Rgb;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A plain 24-bit bitmap of one colour.
Bytes Plain(int w, int h, fixtures::Bgr c = {0, 0, 0}) {
    return fixtures::Bmp24(w, h, [c](int, int) { return c; });
}

Bytes SkinFile(const std::string& ini, std::vector<skin::PackEntry> entries) {
    entries.insert(entries.begin(), skin::PackEntry{"Skin.ini", Text(ini)});
    return skin::PackSkinFile(skin::BuildContainer(entries));
}

skin::Skin Load(const std::string& ini, std::vector<skin::PackEntry> entries = {}) {
    const skin::LoadResult r = skin::LoadSkin(SkinFile(ini, std::move(entries)));
    EXPECT_EQ(r.status, LoadStatus::kLoaded) << r.detail;
    return r.skin;
}

Bytes Raw(uint32_t n, const Bytes& packed) {
    Bytes out(4 + packed.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(n >> (8 * i));
    std::copy(packed.begin(), packed.end(), out.begin() + 4);
    return out;
}

TEST(LoadSkin, UnknownVersionGivesTheOlderSkinMessage) {
    Bytes container = skin::BuildContainer({{"skin.ini", Text("[Fonts]\nFontHeight=9\n")}});
    container[0] = 0x10;  // 10000
    container[1] = 0x27;
    const skin::LoadResult r = skin::LoadSkin(skin::PackSkinFile(container));
    EXPECT_EQ(r.status, LoadStatus::kOlderSkin);
    EXPECT_EQ(r.message, "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(r.skin.fontHeight, 14);
}

struct Refusal {
    const char* what;
    Bytes file;
    std::string detail;
};

class Refused : public testing::TestWithParam<Refusal> {};

TEST_P(Refused, IsDamagedWithoutMessage) {
    const skin::LoadResult r = skin::LoadSkin(GetParam().file);
    EXPECT_EQ(r.status, LoadStatus::kDamaged);
    EXPECT_EQ(r.detail, GetParam().detail);
    EXPECT_EQ(r.message, "");
}

Bytes Damaged() {
    Bytes c = skin::BuildContainer({{"skin.ini", Text("x")}});
    c.pop_back();  // the entry now ends outside the data part
    return skin::PackSkinFile(c);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Refused,
    testing::Values(Refusal{"empty", {}, "shorter than its size field"},
                    Refusal{"size_only_cut", {1, 0, 0}, "shorter than its size field"},
                    // 64 times the 10 packed bytes and 4096 more is the most believed.
                    Refusal{"out_of_proportion", Raw(64 * 10 + 4097, Bytes(10, 0)),
                            "container size out of proportion to the file"},
                    Refusal{"huge", Raw(0xFFFFFFFFu, Bytes(1 << 20, 0)),
                            "container size out of proportion to the file"},
                    // One match of three blanks: a container too short for its version.
                    Refusal{"too_short_for_header", Raw(3, {0x8c, 0xff, 0x0c}),
                            "no container header"},
                    Refusal{"entry_outside", Damaged(), "entry outside the data part"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.what); });

TEST(LoadSkin, SizeAtTheBoundIsDecoded) {
    // Zero bits decode to 't' and onwards: the claim is believed and read.
    const skin::LoadResult r = skin::LoadSkin(Raw(64 * 10 + 4096, Bytes(10, 0)));
    EXPECT_NE(r.detail, "container size out of proportion to the file");
}

TEST(LoadSkin, WithoutDescriptionEveryObjectIsAbsent) {
    const skin::LoadResult r =
        skin::LoadSkin(skin::PackSkinFile(skin::BuildContainer({{"left.bmp", Plain(2, 2)}})));
    EXPECT_EQ(r.status, LoadStatus::kLoaded);
    EXPECT_FALSE(r.skin.personality.left);
    EXPECT_FALSE(r.skin.buttons.push);
    EXPECT_FALSE(r.skin.track);
    EXPECT_TRUE(r.skin.titleButtons.empty());
}

TEST(LoadSkin, BitmapNamesFollowTheirEntries) {
    const skin::Skin s = Load(
        "[Personality]\n"
        "Left=TITLE.bmp\n"
        "Right=title.BMP\n"
        "Top=C:\\skins\\dark/Title.bmp\n"
        "Bottom=missing.bmp\n"
        "TextBack=empty.bmp\n"
        "menuBar=notes.txt\n",
        {{"title.bmp", Plain(4, 2)}, {"empty.bmp", {}}, {"notes.txt", Plain(4, 2)}});
    ASSERT_TRUE(s.personality.left);
    EXPECT_EQ(s.personality.left->bitmap.width, 4);
    // Present objects, but without a bitmap.
    ASSERT_TRUE(s.personality.right);
    EXPECT_TRUE(s.personality.right->bitmap.Empty());
    ASSERT_TRUE(s.personality.top);
    EXPECT_EQ(s.personality.top->bitmap.width, 4);  // the name after the last separator
    ASSERT_TRUE(s.personality.bottom);
    EXPECT_TRUE(s.personality.bottom->bitmap.Empty());
    ASSERT_TRUE(s.personality.title.textBack);
    EXPECT_TRUE(s.personality.title.textBack->bitmap.Empty());
    ASSERT_TRUE(s.personality.menuBar);
    EXPECT_TRUE(s.personality.menuBar->bitmap.Empty());
}

TEST(LoadSkin, BitmapPixelsAreBlueGreenRedFromTheTop) {
    const Bytes bmp24 = fixtures::Bmp24(2, 2, [](int x, int y) {
        return fixtures::Bgr{uint8_t(10 + x), uint8_t(20 + y), uint8_t(30)};
    });
    fixtures::BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bpp = 8;
    layout.palette = {RGBQUAD{1, 2, 3, 0}, RGBQUAD{255, 0, 255, 0}};
    layout.pixels = {1, 0, 0, 0};
    const skin::Skin s = Load("[Buttons]\nBitmap=push.bmp\nCheckButton=check.bmp\n",
                              {{"push.bmp", bmp24}, {"check.bmp", fixtures::BmpFile(layout)}});
    ASSERT_TRUE(s.buttons.push);
    EXPECT_EQ(*s.buttons.push->bitmap.bgr, (Bytes{10, 20, 30, 11, 20, 30, 10, 21, 30, 11, 21, 30}));
    ASSERT_TRUE(s.buttons.check);
    EXPECT_EQ(s.buttons.check->bitmap.Pixel(0, 0), (Rgb{255, 0, 255}));
    EXPECT_EQ(s.buttons.check->bitmap.Pixel(1, 0), (Rgb{3, 2, 1}));
}

// An RLE8 bitmap of a few bytes that claims a large picture (all index 0).
Bytes ClaimedRle8(int w, int h) {
    fixtures::BmpLayout layout;
    layout.width = w;
    layout.height = h;
    layout.bpp = 8;
    layout.compression = BI_RLE8;
    layout.palette = {RGBQUAD{1, 2, 3, 0}};
    layout.pixels = {0, 1};  // end of bitmap
    return fixtures::BmpFile(layout);
}

TEST(LoadSkin, BitmapsBeyondTheSkinsPixelsOrSidesAreEmpty) {
    // 2048 x 2048 takes all 4 Mi pixels of a skin: one more pixel does not
    // fit. No side may be longer than 4096.
    const skin::Skin s =
        Load("[Personality]\nLeft=big.bmp\nRight=small.bmp\nTop=wide.bmp\nBottom=widest.bmp\n",
             {{"big.bmp", ClaimedRle8(2048, 2048)},
              {"small.bmp", ClaimedRle8(1, 1)},
              {"wide.bmp", ClaimedRle8(4097, 1)},
              {"widest.bmp", ClaimedRle8(8000, 8000)}});
    ASSERT_TRUE(s.personality.left && s.personality.right && s.personality.top &&
                s.personality.bottom);
    EXPECT_EQ(s.personality.left->bitmap.width, 2048);
    EXPECT_EQ(s.personality.left->bitmap.Pixel(2047, 2047), (Rgb{3, 2, 1}));
    EXPECT_TRUE(s.personality.right->bitmap.Empty());
    EXPECT_TRUE(s.personality.top->bitmap.Empty());
    EXPECT_TRUE(s.personality.bottom->bitmap.Empty());

    const skin::Skin edge =
        Load("[Personality]\nTop=wide.bmp\nLeft=high.bmp\n",
             {{"wide.bmp", ClaimedRle8(4096, 1)}, {"high.bmp", ClaimedRle8(1, 4096)}});
    EXPECT_EQ(edge.personality.top->bitmap.width, 4096);
    EXPECT_EQ(edge.personality.left->bitmap.height, 4096);
}

TEST(LoadSkin, EveryObjectNamingOneBitmapSharesItsPixels) {
    // 200 title-bar buttons of one 1024 x 1024 bitmap hold it once.
    std::string ini = "[Buttons]\nBitmap=one.bmp\n";
    for (int i = 0; i < 200; ++i) ini += "[BUTTON" + std::to_string(i) + "]\nButtonImage=one.bmp\n";
    const skin::Skin s = Load(ini, {{"one.bmp", ClaimedRle8(1024, 1024)}});
    ASSERT_EQ(s.titleButtons.size(), 200u);
    ASSERT_TRUE(s.buttons.push);
    const std::vector<uint8_t>* pixels = s.buttons.push->bitmap.bgr.get();
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels->size(), size_t{1024 * 1024 * 3});
    for (const skin::SkinSysButton& b : s.titleButtons) EXPECT_EQ(b.bitmap.bgr.get(), pixels);
}

TEST(LoadSkin, PersonalityBordersTitleAndMenuBar) {
    const skin::Skin s = Load(
        "[TitlebarSkin]\nSkinName = Graphite\n"
        "[personality]\n"
        "Left=left.bmp\n"
        "LeftTopHeight = 0x1A\nLeftBotHeight=4\nLeftFrame=2\nLeftStretch=5\nLeftTrans=0\n"
        "   ; Right=left.bmp\n"
        "Top=left.bmp\nTopStretch=0\nTopFrame=0\n"
        "TextBack=left.bmp\nTextShift=5\nTXTBackleft=$10\n"
        "ActiveTextR=10\nActiveTextG=20\nActiveTextB=30\n"
        "InActiveTextR=1\nInActiveTextB=3\n"
        "menuBar=left.bmp\nTileMenu=0\n",
        {{"left.bmp", Plain(8, 30)}});
    EXPECT_EQ(s.skinName, "Graphite");
    const skin::Personality& p = s.personality;
    ASSERT_TRUE(p.left);
    EXPECT_EQ(p.left->topHeight, 26);
    EXPECT_EQ(p.left->bottomHeight, 4);
    EXPECT_EQ(p.left->frames, 2);
    EXPECT_TRUE(p.left->stretch);  // at most 1
    EXPECT_FALSE(p.left->trans);
    EXPECT_FALSE(p.right);  // only named in a comment
    ASSERT_TRUE(p.top);
    EXPECT_FALSE(p.top->stretch);
    EXPECT_TRUE(p.top->trans);  // default 1
    EXPECT_EQ(p.top->frames, 1);
    EXPECT_EQ(p.top->FrameWidth(), 8);
    ASSERT_TRUE(p.title.textBack);
    EXPECT_EQ(p.title.textBack->frames, 2);
    EXPECT_EQ(p.title.textBack->FrameWidth(), 4);
    EXPECT_EQ(p.title.textShift, 5);
    EXPECT_EQ(p.title.txtBackLeft, 16);
    EXPECT_EQ(p.title.activeText, (Rgb{10, 20, 30}));
    EXPECT_EQ(p.title.inactiveText, std::nullopt);  // its green part is missing
    ASSERT_TRUE(p.menuBar);
    EXPECT_EQ(p.menuBar->frames, 2);
    EXPECT_FALSE(p.tileMenu);
    EXPECT_TRUE(p.tileLeftMenu);
}

TEST(LoadSkin, ColoursKeepWhatIsMissing) {
    const skin::Skin s = Load(
        "[Fonts]\nFontHeight=\n"
        "[Colours]\nButtonFace=10,20,30\nButtonText=1 2 3\nHilight=\n"
        "[Colour.Link]\ncolor=0 0 255\n[COLOURS2]\n[Colour.Link]\ncolor=1 1 1\n"
        "[Customcolors]\nColor3=1,1,1\nColor4=bad\n");
    EXPECT_EQ(s.fontHeight, 14);
    EXPECT_EQ(s.colours.buttonFace, (Rgb{10, 20, 30}));
    EXPECT_EQ(s.colours.buttonText, (Rgb{1, 2, 3}));
    EXPECT_EQ(s.colours.hilight, std::nullopt);
    EXPECT_EQ(s.colours.windowText, std::nullopt);
    EXPECT_EQ(s.colours.menubar, (Rgb{10, 20, 30}));  // takes ButtonFace
    ASSERT_EQ(s.namedColours.size(), 2u);
    EXPECT_EQ(s.namedColours[0].section, "Colour.Link");
    EXPECT_EQ(s.namedColours[0].color, (Rgb{0, 0, 255}));
    EXPECT_EQ(s.namedColours[1].section, "COLOURS2");
    EXPECT_EQ(s.namedColours[1].color, std::nullopt);
    EXPECT_EQ(s.customColors[0], (Rgb{255, 255, 255}));
    EXPECT_EQ(s.customColors[3], (Rgb{1, 1, 1}));
    EXPECT_EQ(s.customColors[4], (Rgb{0, 0, 0}));
}

TEST(LoadSkin, ButtonsSectionFramesAndKeys) {
    const skin::Skin s = Load(
        "[Colours]\nButtonText=7,7,7\n"
        "[Buttons]\nBitmap=push.bmp\nCheckButton=check.bmp\nRadioButton=radio.bmp\n"
        "LeftWidth=3\nTopHeight=0x1A\nTile=2\nTrans=1\nPressedColour=$FF\nNormalColour2=1,2,3\n"
        "RadioButtonFrame=6\n",
        {{"push.bmp", Plain(50, 30)}, {"check.bmp", Plain(130, 13)}, {"radio.bmp", Plain(64, 16)}});
    ASSERT_TRUE(s.buttons.push && s.buttons.check && s.buttons.radio);
    const skin::SkinObject& push = *s.buttons.push;
    EXPECT_EQ(push.frames, 5);
    EXPECT_EQ(push.leftWidth, 3);
    EXPECT_EQ(push.topHeight, 26);
    EXPECT_FALSE(push.tile);  // more than 1 counts as 0
    EXPECT_TRUE(push.trans);
    EXPECT_EQ(push.normalColour, -1);
    EXPECT_EQ(push.pressedColour, 255);
    EXPECT_EQ(push.normalColour2, (Rgb{1, 2, 3}));
    EXPECT_EQ(push.mouseOverColour2, (Rgb{7, 7, 7}));  // the ButtonText colour
    EXPECT_EQ(s.buttons.check->frames, 10);            // 130 / 13, lower than 16 pixels
    EXPECT_EQ(s.buttons.check->leftWidth, 0);
    EXPECT_EQ(s.buttons.radio->frames, 6);
}

struct BoxStrip {
    int width, height, frames;
};

class BoxStrips : public testing::TestWithParam<BoxStrip> {};

TEST_P(BoxStrips, CountFramesFromTheirWidth) {
    const BoxStrip b = GetParam();
    const skin::Skin s =
        Load("[Buttons]\nCheckButton=check.bmp\n", {{"check.bmp", Plain(b.width, b.height)}});
    ASSERT_TRUE(s.buttons.check);
    EXPECT_EQ(s.buttons.check->frames, b.frames);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BoxStrips,
                         testing::Values(BoxStrip{104, 13, 8}, BoxStrip{104, 16, 6},
                                         BoxStrip{128, 20, 8}, BoxStrip{26, 13, 4},
                                         BoxStrip{40, 40, 4}));

TEST(LoadSkin, TitleBarButtonsInSectionOrder) {
    const skin::Skin s = Load(
        "[ButtonClose]\nButtonImage=narrow.bmp\nAction=0\nXcoord=-20\nAlign=1\n"
        "[Button]\nButtonImage=narrow.bmp\n"
        "[BUTTONS]\nButtonImage=narrow.bmp\n"
        "[button.radio]\nButtonImage=narrow.bmp\n"
        "[Button.CheckBox]\nButtonImage=narrow.bmp\n"
        "[ButtonHidden]\nButtonImage=narrow.bmp\nAction=-1\nVisibility=1\n"
        "[ButtonMenu]\nButtonImage=narrow.bmp\nAction=-1\n"
        "[ButtonMax]\nButtonImage=wide.bmp\nAction=1\nCombineOp=\n"
        "[ButtonNoImage]\nAction=2\n"
        "[ButtonEdge]\nButtonImage=edge.bmp\nAction=3\n"
        "[ButtonFramed]\nButtonImage=wide.bmp\nframe=2\nCombineOp=4\n"
        "[ButtonLost]\nButtonImage=lost.bmp\n"
        "[ButtonClose]\nButtonImage=wide.bmp\n",
        {{"narrow.bmp", Plain(48, 16)}, {"wide.bmp", Plain(64, 16)}, {"edge.bmp", Plain(61, 16)}});
    std::vector<std::string> sections;
    std::vector<int32_t> frames;
    for (const skin::SkinSysButton& b : s.titleButtons) {
        sections.push_back(b.section);
        frames.push_back(b.frames);
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"ButtonClose", "ButtonMenu", "ButtonMax",
                                                  "ButtonEdge", "ButtonFramed", "ButtonLost"}));
    // 48x16: 3 times as wide as high; Action -1: always 6; 64x16: 4 times;
    // 61x16: 3.81 times; the frame key; no bitmap: 6.
    EXPECT_EQ(frames, (std::vector<int32_t>{3, 6, 6, 6, 2, 6}));
    const skin::SkinSysButton& close = s.titleButtons[0];
    EXPECT_EQ(close.xcoord, -20);
    EXPECT_EQ(close.align, 1);
    EXPECT_EQ(close.combineOp, -1);
    EXPECT_EQ(close.bitmap.width, 48);
    EXPECT_EQ(s.titleButtons[4].combineOp, 4);
}

TEST(LoadSkin, TitleButtonAtExactly38TimesItsHeightHoldsThreeFrames) {
    const skin::Skin s = Load("[ButtonA]\nButtonImage=a.bmp\n", {{"a.bmp", Plain(38, 10)}});
    ASSERT_EQ(s.titleButtons.size(), 1u);
    EXPECT_EQ(s.titleButtons[0].frames, 3);
}

TEST(LoadSkin, ControlSectionsCountTheirFrames) {
    const skin::Skin s = Load(
        "[Colours]\nButtonText=9,9,9\n"
        "[MDICONTROLS]\nImage=strip.bmp\n"
        "[Progress]\nBitmap=strip.bmp\nTile=3\n"
        "[Progress.Chunk]\nImage=strip.bmp\nFrame=3\n"
        "[GroupBox]\nImage=strip.bmp\nBackgroundLeftShift=4\nStyle=2\n"
        "[Tabs]\nImage=strip.bmp\nBorder=strip.bmp\n"
        "[ComboButton]\n****=strip.bmp\n"
        "[UpDown.Vert]\nGlyphImage=strip.bmp\n"
        "[Tab.Pane]\nImage=strip.bmp\nLeftWidth=9\nTopHeight=2\nBottomHeight=5\n"
        "[Headerbar]\nImage=strip.bmp\n"
        "[Scrollbar]\nImage=strip.bmp\nNormalColour=5\n"
        "[HorzScrollThumb]\nImage=strip.bmp\n"
        "[VertScrollThumb]\nImage=strip.bmp\nFrameCount=2\n"
        "[Trackbar.ThumbUp]\nImage=strip.bmp\n"
        "[TRACKVERT]\nImage=strip.bmp\nFrame=0\nTile=1\n"
        "[MenuItem]\n",
        {{"strip.bmp", Plain(60, 10)}});
    ASSERT_TRUE(s.mdiButtons);
    for (const skin::SkinObject& b : *s.mdiButtons) {
        EXPECT_EQ(b.bitmap.width, 20);
        EXPECT_EQ(b.frames, 4);
    }
    ASSERT_TRUE(s.progress);
    EXPECT_EQ(s.progress->frames, 2);
    EXPECT_TRUE(s.progress->tile);  // more than 1 counts as 1 here
    EXPECT_EQ(s.progressChunk->frames, 3);
    ASSERT_TRUE(s.groupBox);
    EXPECT_EQ(s.groupBox->frames, 1);
    EXPECT_EQ(s.groupBox->style, 2);
    EXPECT_EQ(s.groupBox->backgroundLeftShift, 4);
    EXPECT_EQ(s.groupBox->normalColour2, (Rgb{9, 9, 9}));
    EXPECT_EQ(s.tabs->frames, 5);
    EXPECT_EQ(s.tabsBorder->frames, 5);
    EXPECT_FALSE(s.comboButton);
    EXPECT_EQ(s.comboButton2->frames, 4);
    EXPECT_FALSE(s.upDownVert);
    EXPECT_EQ(s.upDownVertGlyph->frames, 8);
    ASSERT_TRUE(s.tabPane);
    EXPECT_EQ(s.tabPane->leftWidth, 4);  // at most 4
    EXPECT_EQ(s.tabPane->topHeight, 2);
    EXPECT_EQ(s.tabPane->bottomHeight, 4);
    EXPECT_EQ(s.headerbar->frames, 5);
    EXPECT_EQ(s.scrollbar->frames, 23);
    EXPECT_EQ(s.scrollbar->normalColour, 5);
    EXPECT_EQ(s.scrollbar->mouseOverColour, -1);
    EXPECT_EQ(s.horzScrollThumb->frames, 3);
    EXPECT_EQ(s.vertScrollThumb->frames, 2);
    EXPECT_EQ(s.trackbarThumbUp->frames, 5);
    EXPECT_FALSE(s.trackbarThumbDown);
    EXPECT_FALSE(s.menuItem);  // section without its bitmap key
    // A missing Track section stands in the program's own image.
    ASSERT_TRUE(s.track);
    EXPECT_EQ(s.track->programResource, "TRACK");
    EXPECT_EQ(s.track->leftWidth, 3);
    EXPECT_EQ(s.track->bottomHeight, 3);
    EXPECT_EQ(s.track->frames, 1);
    ASSERT_TRUE(s.trackVert);
    EXPECT_EQ(s.trackVert->programResource, "");
    EXPECT_EQ(s.trackVert->frames, 1);  // Frame 0: one frame
    EXPECT_TRUE(s.trackVert->tile);
}

// Numbers at the ends of the 32-bit range are held to what keeps a window
// usable: margins within the bitmap, offsets within 4096 pixels, fonts of 1
// to 200 pixels, at most 4096 frames.
struct Extreme {
    const char* what;
    std::string value;
    int32_t fontHeight, textShift, xcoord, leftWidth, topHeight, head, frames;
};

class ExtremeNumbers : public testing::TestWithParam<Extreme> {};

TEST_P(ExtremeNumbers, AreClampedWhenRead) {
    const Extreme& e = GetParam();
    const std::string& v = e.value;
    const skin::Skin s =
        Load("[Fonts]\nFontHeight=" + v + "\n[Personality]\nTop=top.bmp\nTopTopHeight=" + v +
                 "\nTopFrame=" + v + "\nTextShift=" + v + "\nTextShiftVert=" + v +
                 "\n[Buttons]\nBitmap=push.bmp\nLeftWidth=" + v + "\nTopHeight=" + v +
                 "\n[BUTTON.CLOSE]\nButtonImage=push.bmp\n" + "Xcoord=" + v + "\nYcoord=" + v +
                 "\nframe=" + v + "\n",
             {{"top.bmp", Plain(40, 20)}, {"push.bmp", Plain(50, 30)}});
    EXPECT_EQ(s.fontHeight, e.fontHeight);
    EXPECT_EQ(s.personality.title.textShift, e.textShift);
    EXPECT_EQ(s.personality.title.textShiftVert, e.textShift);
    ASSERT_TRUE(s.personality.top && s.buttons.push);
    EXPECT_EQ(s.personality.top->topHeight, e.head);  // along the strip's 40 pixels
    EXPECT_EQ(s.personality.top->frames, e.frames);
    EXPECT_EQ(s.buttons.push->leftWidth, e.leftWidth);
    EXPECT_EQ(s.buttons.push->topHeight, e.topHeight);
    ASSERT_EQ(s.titleButtons.size(), 1u);
    EXPECT_EQ(s.titleButtons[0].xcoord, e.xcoord);
    EXPECT_EQ(s.titleButtons[0].ycoord, e.xcoord);
    EXPECT_EQ(s.titleButtons[0].frames, e.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExtremeNumbers,
    testing::Values(Extreme{"largest", "2147483647", 200, 4096, 4096, 50, 30, 40, 4096},
                    Extreme{"largest_hex", "$7FFFFFFF", 200, 4096, 4096, 50, 30, 40, 4096},
                    Extreme{"smallest", "-2147483648", 1, -4096, -4096, 0, 0, 0, 1},
                    Extreme{"minus_one", "$FFFFFFFF", 1, -1, -1, 0, 0, 0, 1},
                    Extreme{"inside", "7", 7, 7, 7, 7, 7, 7, 7}),
    [](const testing::TestParamInfo<Extreme>& info) { return std::string(info.param.what); });

TEST(LoadSkin, SectionsAreLookedUpByNameAtAnyCount) {
    // The first of each name counts, also among thousands.
    std::string ini;
    for (int i = 0; i < 4000; ++i) ini += "[Colour" + std::to_string(i) + "]\ncolor=1 2 3\n";
    ini += "[Colour7]\ncolor=9 9 9\n[Fonts]\nFontHeight=12\n";
    const skin::Skin s = Load(ini);
    ASSERT_EQ(s.namedColours.size(), 4000u);
    EXPECT_EQ(s.namedColours[7].color, (Rgb{1, 2, 3}));
    EXPECT_EQ(s.fontHeight, 12);
}

TEST(LoadSkin, DescriptionBeyondItsLimitsIsDamaged) {
    std::string sections;
    for (int i = 0; i <= 4096; ++i) sections += "[a]\n";
    std::string lines = "[Fonts]\n";
    for (int i = 0; i <= 65536; ++i) lines += "a=1\n";
    for (const auto& [ini, detail] : {std::pair{sections, "more than 4096 sections"},
                                      std::pair{lines, "more than 65536 key lines"}}) {
        const skin::LoadResult r = skin::LoadSkin(SkinFile(ini, {}));
        EXPECT_EQ(r.status, LoadStatus::kDamaged);
        EXPECT_EQ(r.detail, detail);
        EXPECT_EQ(r.message, "");
    }
}

TEST(LoadSkin, FileCutShortIsDamaged) {
    std::string ini = "[Fonts]\nFontHeight=9\n";
    for (int i = 0; i < 50; ++i) ini += "[Colour" + std::to_string(i) + "]\ncolor=1 2 3\n";
    const Bytes whole = SkinFile(ini, {{"a.bmp", Plain(20, 20, {1, 2, 3})}});
    ASSERT_EQ(skin::LoadSkin(whole).status, LoadStatus::kLoaded);
    for (const size_t keep : {whole.size() / 2, whole.size() - 2}) {
        const skin::LoadResult r = skin::LoadSkin(std::span(whole).first(keep));
        EXPECT_EQ(r.status, LoadStatus::kDamaged) << keep;
        EXPECT_EQ(r.detail, "compressed data ends early") << keep;
        EXPECT_EQ(r.message, "");
    }
}

TEST(LoadSkin, OnlyVersionsBelowTheKnownOnesAreOlderSkins) {
    struct Version {
        uint32_t number;
        LoadStatus status;
        std::string detail;
    };
    for (const Version& v :
         {Version{10000, LoadStatus::kOlderSkin, ""}, Version{19999, LoadStatus::kOlderSkin, ""},
          Version{0, LoadStatus::kDamaged, "unknown container version 0"},
          Version{80000, LoadStatus::kDamaged, "unknown container version 80000"},
          Version{0x74747474, LoadStatus::kDamaged, "unknown container version 1953789044"}}) {
        Bytes container = skin::BuildContainer({{"skin.ini", Text("[Fonts]\n")}});
        for (int i = 0; i < 4; ++i) container[size_t(i)] = uint8_t(v.number >> (8 * i));
        const skin::LoadResult r = skin::LoadSkin(skin::PackSkinFile(container));
        EXPECT_EQ(r.status, v.status) << v.number;
        EXPECT_EQ(r.detail, v.detail) << v.number;
        EXPECT_EQ(r.message, v.status == LoadStatus::kOlderSkin ? skin::kOlderSkinMessage : "");
    }
}

TEST(LoadSkin, ZerosClaimingTheLargestContainerAreNoSkin) {
    // 64 Ki zeros may claim the largest container, 4 MiB; what they decode
    // to is no container.
    const skin::LoadResult r = skin::LoadSkin(Raw(4 << 20, Bytes(65536, 0)));
    EXPECT_EQ(r.status, LoadStatus::kDamaged);
    EXPECT_EQ(r.message, "");
    EXPECT_NE(r.detail, "");
}

}  // namespace
