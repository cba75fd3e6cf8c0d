// SPDX-License-Identifier: GPL-3.0-or-later
// skin-pack: a folder of an INI text and BMP files becomes a skin file that
// loads; a folder that holds anything else is refused and nothing is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "skin/lzhuf.h"
#include "skin/skin_load.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/skin/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Bmp(int w, int h) {
    return fixtures::Bmp24(w, h, [](int x, int y) {
        return fixtures::Bgr{uint8_t(x), uint8_t(y), 9};
    });
}

int Pack(const fs::path& folder, const fs::path& out) {
    const std::string command = std::string("'") + SKIN_PACK + "' '" + folder.string() + "' '" +
                                out.string() + "' 2>/dev/null";
    return std::system(command.c_str());
}

void WriteFile(const fs::path& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SkinPack, PacksAFolderIntoASkinThatLoads) {
    skintest::TempFolder tmp;
    const fs::path src = tmp.Path() / "graphite";
    fs::create_directory(src);
    const fs::path out = tmp.Path() / "Xplorer_mod.skn";
    WriteFile(src / "Graphite.ini",
              Text("[Personality]\nTop=Title.bmp\n[ButtonClose]\nButtonImage=close.bmp\n"));
    WriteFile(src / ".gitignore", Text("*.skn\n"));  // hidden files are left out
    WriteFile(src / "Title.bmp", Bmp(6, 3));
    WriteFile(src / "close.bmp", Bmp(9, 3));
    ASSERT_EQ(Pack(src, out), 0);
    const Bytes file = ReadAll(out);
    const skin::LoadResult r = skin::LoadSkin(file);
    ASSERT_EQ(r.status, skin::LoadStatus::kLoaded) << r.detail;
    ASSERT_TRUE(r.skin.personality.top);
    EXPECT_EQ(r.skin.personality.top->bitmap.width, 6);
    EXPECT_EQ(r.skin.personality.top->bitmap.Pixel(5, 2), (skin::Rgb{9, 2, 5}));
    ASSERT_EQ(r.skin.titleButtons.size(), 1u);
    EXPECT_EQ(r.skin.titleButtons[0].frames, 3);
    // The container inside is of version 60000.
    const size_t size = size_t(file[0]) | size_t(file[1]) << 8 | size_t(file[2]) << 16;
    const Bytes container = skin::LzhufDecode(std::span(file).subspan(4), size);
    EXPECT_EQ(std::vector(container.begin(), container.begin() + 4), (Bytes{0x60, 0xEA, 0, 0}));
}

struct BadFolder {
    const char* what;
    std::vector<std::pair<std::string, Bytes>> files;
};

class BadFolders : public testing::TestWithParam<BadFolder> {};

TEST_P(BadFolders, AreRefusedAndWriteNothing) {
    skintest::TempFolder tmp;
    const fs::path src = tmp.Path() / "src";
    fs::create_directory(src);
    for (const auto& [name, bytes] : GetParam().files) WriteFile(src / name, bytes);
    const fs::path out = tmp.Path() / "out.skn";
    EXPECT_NE(Pack(src, out), 0);
    EXPECT_FALSE(fs::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, BadFolders,
    testing::Values(BadFolder{"no_ini", {{"a.bmp", Bmp(2, 2)}}},
                    BadFolder{"two_inis", {{"a.ini", Text("[A]\n")}, {"b.ini", Text("[B]\n")}}},
                    BadFolder{"other_file", {{"a.ini", Text("[A]\n")}, {"notes.txt", Text("x")}}},
                    BadFolder{"broken_bmp", {{"a.ini", Text("[A]\n")}, {"a.bmp", Text("BMnot")}}}),
    [](const testing::TestParamInfo<BadFolder>& info) { return std::string(info.param.what); });

TEST(SkinPack, MissingFolderIsRefused) {
    skintest::TempFolder tmp;
    EXPECT_NE(Pack(tmp.Path() / "none", tmp.Path() / "out.skn"), 0);
    EXPECT_FALSE(fs::exists(tmp.Path() / "out.skn"));
}

}  // namespace
