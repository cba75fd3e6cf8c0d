// SPDX-License-Identifier: GPL-3.0-or-later
// LZHUF: hand-made streams whose bits were worked out from the initial tree
// and the position codes, and round trips through our encoder.
#include "skin/lzhuf.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

struct Vector {
    const char* what;
    const char* input;  // hex
    size_t size;        // N
    std::string output;
};

class HandMade : public testing::TestWithParam<Vector> {};

TEST_P(HandMade, DecodesToItsBytes) {
    const Vector& v = GetParam();
    EXPECT_EQ(skin::LzhufDecode(Hex(v.input), v.size), Text(v.output));
}

// The first symbol's code comes from the untouched tree: the match of length 3
// is 10001100, of length 5 10001110, of length 60 11000101. The upper six
// position bits 63 are coded 11111111.
INSTANTIATE_TEST_SUITE_P(Streams, HandMade,
                         testing::Values(
                             // Match of 3 from ring position 4035: the blanks below the start.
                             Vector{"blanks", "8cff0c", 3, "   "},
                             // Match of 3 from 4040: the ring above the start holds zeros.
                             Vector{"zeros", "8cffec", 3, std::string(3, '\0')},
                             // Match of 5 from 4094 runs over the end of the ring to its start.
                             Vector{"wrap", "8eff14", 5, std::string(2, '\0') + "   "},
                             // A match of 60 when 1 byte was asked for: all 60 stay.
                             Vector{"past N", "c5ff0c", 1, std::string(60, ' ')},
                             // No input: every bit reads 0, which leads from the root to 't'.
                             Vector{"empty", "", 1, "t"},
                             // Only the symbol's byte: the position bits past the end read 0,
                             // position 0 copies from 4035 as in "blanks".
                             Vector{"short", "8c", 3, "   "}),
                         [](const testing::TestParamInfo<Vector>& info) {
                             std::string name = info.param.what;
                             for (char& c : name) c = c == ' ' ? '_' : c;
                             return name;
                         });

TEST(Lzhuf, NothingAskedDecodesNothing) {
    EXPECT_TRUE(skin::LzhufDecode(Hex("8cff0c"), 0).empty());
}

Bytes Random(size_t n, uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out) b = uint8_t(rng() % unsigned(alphabet));
    return out;
}

Bytes IniLike(size_t n) {
    std::string s;
    for (int i = 0; s.size() < n; ++i) {
        s += "[Button" + std::to_string(i % 37) + "]\r\nButtonImage=close" + std::to_string(i % 5) +
             ".bmp\r\nXcoord=" + std::to_string(i * 7 % 100) + "\r\n";
    }
    s.resize(n);
    return Text(s);
}

struct Case {
    const char* what;
    Bytes data;
};

class RoundTrip : public testing::TestWithParam<Case> {};

TEST_P(RoundTrip, GivesTheBytesBack) {
    const Bytes& data = GetParam().data;
    const Bytes packed = skin::LzhufEncode(data);
    EXPECT_EQ(skin::LzhufDecode(packed, data.size()), data);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RoundTrip,
    testing::Values(Case{"empty", {}}, Case{"one_byte", {0x41}},
                    Case{"blanks", Bytes(5000, ' ')},  // matches into the initial blanks
                    Case{"zeros", Bytes(100000, 0)},   // long runs, many halvings of the tree
                    Case{"all_bytes", Random(70000, 1, 256)},  // literals of every value
                    Case{"few_bytes", Random(300000, 2, 4)},   // short matches everywhere
                    Case{"ini_text", IniLike(200000)}),        // far matches across the wrap
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

TEST(Lzhuf, RepeatedTextShrinks) {
    const Bytes data = IniLike(100000);
    EXPECT_LT(skin::LzhufEncode(data).size(), data.size() / 5);
}

struct Whole {
    const char* what;
    const char* input;  // hex
    size_t size;
    std::optional<std::string> output;
};

class WholeStreams : public testing::TestWithParam<Whole> {};

TEST_P(WholeStreams, NeedNoMoreThanOneBytePastTheirEnd) {
    const Whole& w = GetParam();
    const std::optional<Bytes> out = skin::LzhufDecodeWhole(Hex(w.input), w.size);
    if (w.output) {
        EXPECT_EQ(out, Text(*w.output));
    } else {
        EXPECT_EQ(out, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, WholeStreams,
    testing::Values(Whole{"complete", "8cff0c", 3, "   "},
                    // The last 6 position bits past the end: an unflushed last byte.
                    Whole{"last_byte_missing", "8cff", 3, "   "},
                    // The whole position past the end.
                    Whole{"cut_short", "8c", 3, std::nullopt},
                    // Every bit past the end: no stream at all.
                    Whole{"empty", "", 2, std::nullopt}),
    [](const testing::TestParamInfo<Whole>& info) { return std::string(info.param.what); });

TEST(Lzhuf, EncodedStreamCutShortIsNotWhole) {
    const Bytes data = Random(20000, 3, 256);
    const Bytes packed = skin::LzhufEncode(data);
    EXPECT_EQ(skin::LzhufDecodeWhole(packed, data.size()), data);
    for (const size_t keep : {packed.size() / 2, packed.size() - 2}) {
        EXPECT_EQ(skin::LzhufDecodeWhole(std::span(packed).first(keep), data.size()), std::nullopt)
            << keep;
    }
}

}  // namespace
