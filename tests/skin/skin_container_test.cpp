// SPDX-License-Identifier: GPL-3.0-or-later
// The skin container: each version's gap, the name list's line ends, the
// size table and the limits that make a container damaged.
#include "skin/skin_container.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<uint8_t>;
using skin::ContainerStatus;
using skin::SkinContainer;

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A container written byte by byte: header, `gap` bytes of 0xEE, the name
// list as given, the sizes, then the data.
Bytes Container(uint32_t version, size_t gap, const std::string& list,
                const std::vector<uint32_t>& sizes, const std::string& data) {
    Bytes out;
    PutU32(out, version);
    PutU32(out, uint32_t(list.size()));
    out.insert(out.end(), 8, 0x11);
    out.insert(out.end(), gap, 0xEE);
    out.insert(out.end(), list.begin(), list.end());
    for (uint32_t s : sizes) PutU32(out, s);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::string Text(std::span<const uint8_t> b) {
    return std::string(b.begin(), b.end());
}

struct Version {
    uint32_t version;
    size_t gap;
};

class Versions : public testing::TestWithParam<Version> {};

TEST_P(Versions, SkipTheirGap) {
    const Version v = GetParam();
    const std::string list = "One.ini\r\nTWO.bmp\r\n";
    const Bytes bytes = Container(v.version, v.gap, list, {3, 4}, "abcdefg");
    SkinContainer c;
    ASSERT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kOk);
    EXPECT_EQ(c.Version(), v.version);
    EXPECT_EQ(c.DataOffset(), 16 + v.gap + list.size() + 8);
    ASSERT_EQ(c.Entries().size(), 2u);
    EXPECT_EQ(c.Entries()[0].name, "one.ini");
    EXPECT_EQ(c.Entries()[1].name, "two.bmp");
    EXPECT_EQ(Text(c.Bytes(c.Entries()[0])), "abc");
    EXPECT_EQ(Text(c.Bytes(c.Entries()[1])), "defg");
}

INSTANTIATE_TEST_SUITE_P(Known, Versions,
                         testing::Values(Version{20000, 0}, Version{30000, 256}, Version{40000, 80},
                                         Version{50000, 48}, Version{60000, 117},
                                         Version{70000, 69}));

TEST(Container, DataOf60000StartsAt133PlusListPlusFourPerName) {
    const std::string list = "a.ini\nb.bmp\nc.bmp";
    const Bytes bytes = Container(60000, 117, list, {1, 1, 1}, "xyz");
    SkinContainer c;
    ASSERT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kOk);
    EXPECT_EQ(c.DataOffset(), 133 + list.size() + 4 * 3);
    EXPECT_EQ(Text(c.Bytes(*c.FindExact("c.bmp"))), "z");
}

TEST(Container, UnknownVersionsAreNotRead) {
    SkinContainer c;
    for (uint32_t version : {10000u, 0u, 60001u, 80000u}) {
        const Bytes bytes = Container(version, 117, "a\r\n", {1}, "x");
        EXPECT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kUnknownVersion) << version;
    }
}

struct Names {
    const char* what;
    std::string list;
    std::vector<std::string> names;
};

class NameLists : public testing::TestWithParam<Names> {};

TEST_P(NameLists, AreCutIntoLowerCaseNames) {
    const Names& n = GetParam();
    const std::vector<uint32_t> sizes(n.names.size(), 0);
    const Bytes bytes = Container(20000, 0, n.list, sizes, "");
    SkinContainer c;
    ASSERT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kOk);
    std::vector<std::string> got;
    for (const auto& e : c.Entries()) got.push_back(e.name);
    EXPECT_EQ(got, n.names);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, NameLists,
    testing::Values(Names{"crlf", "A.ini\r\nB.BMP\r\n", {"a.ini", "b.bmp"}},
                    Names{"cr", "A.ini\rB.BMP", {"a.ini", "b.bmp"}},
                    Names{"lf", "A.ini\nB.BMP\n", {"a.ini", "b.bmp"}},
                    Names{"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                    // An empty line inside the list is a name and has its size.
                    Names{"empty_line", "a\r\n\r\nb", {"a", "", "b"}},
                    // A zero byte ends the list; what follows in it is not read.
                    Names{"zero_byte", std::string("a\r\nb\0c\r\n", 8), {"a", "b"}},
                    Names{"none", "", {}}),
    [](const testing::TestParamInfo<Names>& info) { return std::string(info.param.what); });

TEST(Container, FindsByExactNameAndByPart) {
    const Bytes bytes =
        Container(20000, 0, "Title.bmp\r\nSkin.INI\r\ntitle.bmp\r\n", {1, 2, 3}, "abbccc");
    SkinContainer c;
    ASSERT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kOk);
    ASSERT_NE(c.FindExact("TITLE.BMP"), nullptr);
    EXPECT_EQ(Text(c.Bytes(*c.FindExact("TITLE.BMP"))), "a");  // the first of the name
    EXPECT_EQ(c.FindExact("title"), nullptr);
    ASSERT_NE(c.FindPart(".ini"), nullptr);
    EXPECT_EQ(c.FindPart(".ini")->name, "skin.ini");
    EXPECT_EQ(c.FindPart("itle")->offset, c.FindExact("title.bmp")->offset);
    EXPECT_EQ(c.FindPart(".png"), nullptr);
}

std::string ManyNames(size_t n) {
    std::string list;
    for (size_t i = 0; i < n; ++i) list += "e" + std::to_string(i) + "\r\n";
    return list;
}

TEST(Container, Holds1001EntriesButNot1002) {
    const Bytes fits = Container(60000, 117, ManyNames(1001), std::vector<uint32_t>(1001, 0), "");
    const Bytes tooMany =
        Container(60000, 117, ManyNames(1002), std::vector<uint32_t>(1002, 0), "");
    SkinContainer c;
    EXPECT_EQ(SkinContainer::Parse(fits, &c), ContainerStatus::kOk);
    EXPECT_EQ(c.Entries().size(), 1001u);
    std::string why;
    EXPECT_EQ(SkinContainer::Parse(tooMany, &c, &why), ContainerStatus::kDamaged);
    EXPECT_EQ(why, "more than 1001 entries");
    EXPECT_TRUE(c.Entries().empty());
}

struct Damage {
    const char* what;
    Bytes bytes;
    std::string why;
};

class Damaged : public testing::TestWithParam<Damage> {};

TEST_P(Damaged, IsRefused) {
    const Damage& d = GetParam();
    SkinContainer c;
    std::string why;
    EXPECT_EQ(SkinContainer::Parse(d.bytes, &c, &why), ContainerStatus::kDamaged);
    EXPECT_EQ(why, d.why);
}

Bytes Cut(Bytes b, size_t n) {
    b.resize(n);
    return b;
}

Bytes ListLength(Bytes b, uint32_t length) {
    for (int i = 0; i < 4; ++i) b[4 + size_t(i)] = uint8_t(length >> (8 * i));
    return b;
}

const Bytes kGood = Container(60000, 117, "a.ini\r\nb.bmp\r\n", {2, 3}, "xxyyy");

INSTANTIATE_TEST_SUITE_P(
    Containers, Damaged,
    testing::Values(
        Damage{"no_version", Cut(kGood, 3), "no container header"},
        Damage{"short_header", Cut(kGood, 12), "no container header"},
        Damage{"gap_cut", Cut(kGood, 100), "name list outside the container"},
        Damage{"list_too_long", ListLength(kGood, 0xFFFFFFF0u), "name list outside the container"},
        Damage{"sizes_cut", Cut(kGood, kGood.size() - 5 - 2), "size table outside the container"},
        // The last entry reaches one byte past the data part.
        Damage{"entry_outside", Cut(kGood, kGood.size() - 1), "entry outside the data part"},
        // Sizes whose sum wraps around 32 bits are still outside.
        Damage{"sizes_wrap", Container(20000, 0, "a\nb\n", {0xFFFFFFFFu, 2}, "x"),
               "entry outside the data part"}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.what); });

TEST(Container, BuildsWhatItReads) {
    const Bytes bytes = skin::BuildContainer({{"Skin.ini", {'k', '='}}, {"a.bmp", {1, 2, 3}}});
    SkinContainer c;
    ASSERT_EQ(SkinContainer::Parse(bytes, &c), ContainerStatus::kOk);
    EXPECT_EQ(c.Version(), 60000u);
    EXPECT_EQ(c.DataOffset(), 133 + std::string("Skin.ini\r\na.bmp\r\n").size() + 8);
    EXPECT_EQ(Text(c.Bytes(*c.FindExact("skin.ini"))), "k=");
    EXPECT_EQ(c.Bytes(*c.FindExact("a.bmp")).size(), 3u);
}

}  // namespace
