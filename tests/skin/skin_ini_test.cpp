// SPDX-License-Identifier: GPL-3.0-or-later
// The skin description's INI dialect: lines, sections, keys, numbers and
// colours.
#include "skin/skin_ini.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using skin::Rgb;
using skin::SkinIni;

SkinIni Parse(const std::string& text) {
    return SkinIni::Parse(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

struct Lookup {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

class Lookups : public testing::TestWithParam<Lookup> {};

TEST_P(Lookups, FindTheValue) {
    const Lookup& l = GetParam();
    EXPECT_EQ(Parse(l.text).String(l.section, l.key), l.value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Lookups,
    testing::Values(
        Lookup{"section_case", "[personality]\nLeft=l.bmp\n", "Personality", "Left", "l.bmp"},
        Lookup{"key_case", "[Buttons]\nBITMAP=b.bmp\n", "Buttons", "bitmap", "b.bmp"},
        Lookup{"trimmed", "  [Fonts]  \r\n\t FontHeight  =  12 \r\n", "Fonts", "FontHeight", "12"},
        Lookup{"indented_comment", "[Fonts]\n   ;FontHeight=3\nFontHeight=4\n", "Fonts",
               "FontHeight", "4"},
        Lookup{"cr_only", "[A]\rk=1\r[B]\rk=2\r", "B", "k", "2"},
        Lookup{"first_section_wins", "[A]\nk=1\n[a]\nk=2\nj=3\n", "A", "j", std::nullopt},
        Lookup{"first_key_wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        // The first line decides even when its value is empty.
        Lookup{"empty_first_value", "[A]\nk=\nk=2\n", "A", "k", std::nullopt},
        Lookup{"first_equals_splits", "[A]\nk = a=b\n", "A", "k", "a=b"},
        Lookup{"next_section_ends_keys", "[A]\n[B]\nk=1\n", "A", "k", std::nullopt},
        Lookup{"zero_byte_ends_text", std::string("[A]\nk=1\0\nj=2\n", 13), "A", "j", std::nullopt},
        Lookup{"keys_before_sections_ignored", "k=1\n[A]\n", "A", "k", std::nullopt},
        Lookup{"line_without_equals", "[A]\nk\nk=5\n", "A", "k", "5"},
        Lookup{"missing_section", "[A]\nk=1\n", "B", "k", std::nullopt}),
    [](const testing::TestParamInfo<Lookup>& info) { return std::string(info.param.what); });

struct Number {
    const char* text;
    std::optional<int32_t> value;
};

class Numbers : public testing::TestWithParam<Number> {};

TEST_P(Numbers, Parse) {
    EXPECT_EQ(skin::ParseNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Values, Numbers,
                         testing::Values(Number{"26", 26}, Number{"-1", -1}, Number{"+7", 7},
                                         Number{"0x1A", 26}, Number{"0X1a", 26}, Number{"$1A", 26},
                                         Number{"$FFFFFFFF", -1}, Number{"2147483647", 2147483647},
                                         Number{"-2147483648", INT32_MIN},
                                         Number{"2147483648", std::nullopt},
                                         Number{"$100000000", std::nullopt},
                                         // "0x" of two characters is no hexadecimal number.
                                         Number{"0x", std::nullopt}, Number{"0", 0},
                                         Number{"012", 12}, Number{"$", std::nullopt},
                                         Number{"12px", std::nullopt}, Number{"1 2", std::nullopt},
                                         Number{"-", std::nullopt}, Number{"0x1G", std::nullopt}));

TEST(Ini, NumberFallsBackToTheDefault) {
    const SkinIni ini = Parse("[Buttons]\nTopHeight = 0x1A\nTile=yes\nTrans=\n");
    EXPECT_EQ(ini.Number("Buttons", "TopHeight", 0), 26);
    EXPECT_EQ(ini.Number("Buttons", "Tile", 7), 7);
    EXPECT_EQ(ini.Number("Buttons", "Trans", -1), -1);
    EXPECT_EQ(ini.Number("Buttons", "LeftWidth", 3), 3);
}

struct Colour {
    const char* text;
    Rgb rgb;
};

class Colours : public testing::TestWithParam<Colour> {};

TEST_P(Colours, TakeTheFirstThreeNumbers) {
    EXPECT_EQ(skin::ParseColour(GetParam().text), GetParam().rgb);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Colours,
    testing::Values(Colour{"10,20,30", {10, 20, 30}}, Colour{"10 20 30", {10, 20, 30}},
                    Colour{"rgb(1; 2; 3)", {1, 2, 3}}, Colour{"10,20,30,40", {10, 20, 30}},
                    Colour{"10,20", {10, 20, 0}}, Colour{"none", {0, 0, 0}},
                    // A minus sign is one more separator; each number gives its low byte.
                    Colour{"-1,256,511", {1, 0, 255}}));

TEST(Ini, MissingColourIsEmpty) {
    const SkinIni ini = Parse("[Colours]\nMenu=1 2 3\nMenuText=\n");
    EXPECT_EQ(ini.Colour("Colours", "menu"), (Rgb{1, 2, 3}));
    EXPECT_EQ(ini.Colour("Colours", "MenuText"), std::nullopt);
    EXPECT_EQ(ini.Colour("Colours", "Hilight"), std::nullopt);
}

}  // namespace
