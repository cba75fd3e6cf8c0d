// SPDX-License-Identifier: GPL-3.0-or-later
// The skin fuzzer's stored inputs: each whole file or container (after the
// fuzzer's first byte) loads or is refused as its name says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "skin/skin_load.h"

namespace {

using skin::LoadStatus;

skin::LoadResult LoadStored(const std::string& name) {
    const char* root = std::getenv("STRAKEL_TEST_CORPUS");
    std::ifstream in(std::string(root ? root : "fuzz/corpus") + "/skin/" + name, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << name;
    if (bytes.empty()) return {};
    const std::span<const uint8_t> rest = std::span(bytes).subspan(1);
    return bytes[0] & 1 ? skin::LoadSkinContainer(rest) : skin::LoadSkin(rest);
}

struct Stored {
    const char* name;
    LoadStatus status;
    std::string detail;
};

class StoredInputs : public testing::TestWithParam<Stored> {};

TEST_P(StoredInputs, LoadAsTheirNameSays) {
    const skin::LoadResult r = LoadStored(GetParam().name);
    EXPECT_EQ(r.status, GetParam().status);
    EXPECT_EQ(r.detail, GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredInputs,
    testing::Values(
        Stored{"container-full.bin", LoadStatus::kLoaded, ""},
        Stored{"container-20000.bin", LoadStatus::kLoaded, ""},
        Stored{"container-30000.bin", LoadStatus::kLoaded, ""},
        Stored{"container-40000.bin", LoadStatus::kLoaded, ""},
        Stored{"container-50000.bin", LoadStatus::kLoaded, ""},
        Stored{"container-70000.bin", LoadStatus::kLoaded, ""},
        Stored{"container-older-10000.bin", LoadStatus::kOlderSkin, ""},
        Stored{"container-entry-outside.bin", LoadStatus::kDamaged, "entry outside the data part"},
        Stored{"container-1002-entries.bin", LoadStatus::kDamaged, "more than 1001 entries"},
        Stored{"file-full.skn", LoadStatus::kLoaded, ""},
        Stored{"file-out-of-proportion.skn", LoadStatus::kDamaged,
               "container size out of proportion to the file"},
        Stored{"file-truncated.skn", LoadStatus::kDamaged, "compressed data ends early"},
        Stored{"file-cut-in-half.skn", LoadStatus::kDamaged, "compressed data ends early"},
        Stored{"file-200-references-to-one-bitmap.skn", LoadStatus::kLoaded, ""},
        Stored{"file-bitmap-of-the-whole-budget.skn", LoadStatus::kLoaded, ""},
        Stored{"file-bitmap-8000-square.skn", LoadStatus::kLoaded, ""},
        Stored{"file-extreme-numbers.skn", LoadStatus::kLoaded, ""}),
    [](const testing::TestParamInfo<Stored>& info) {
        std::string name = info.param.name;
        for (char& c : name) c = isalnum(uint8_t(c)) ? c : '_';
        return name;
    });

TEST(StoredInputs, FullSkinBuildsItsObjects) {
    for (const char* name : {"container-full.bin", "file-full.skn"}) {
        const skin::Skin s = LoadStored(name).skin;
        EXPECT_EQ(s.skinName, "Seed") << name;
        ASSERT_TRUE(s.personality.top) << name;
        EXPECT_EQ(s.personality.top->bitmap.width, 5);
        ASSERT_TRUE(s.buttons.check);
        EXPECT_EQ(s.buttons.check->bitmap.width, 52);  // an RLE8 bitmap
        EXPECT_EQ(s.buttons.check->frames, 4);
        EXPECT_EQ(s.titleButtons.size(), 2u);
        ASSERT_TRUE(s.track);
        EXPECT_EQ(s.track->frames, 3);
    }
}

}  // namespace
