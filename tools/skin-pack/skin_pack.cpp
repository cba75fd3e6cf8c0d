// SPDX-License-Identifier: GPL-3.0-or-later
// skin-pack: packs a folder holding one INI text and BMP files into a skin
// file (container version 60000, LZHUF-coded), then reads the result back to
// prove that the skin loads.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/engine/atomic_file.h"
#include "skin/skin_bitmap.h"
#include "skin/skin_container.h"
#include "skin/skin_load.h"

namespace {

namespace fs = std::filesystem;

int Fail(const std::string& text) {
    std::fprintf(stderr, "skin-pack: %s\n", text.c_str());
    return 1;
}

bool HasExtension(const fs::path& path, const char* ext) {
    return skin::LowerAscii(path.extension().string()) == ext;
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: skin-pack FOLDER OUTPUT.skn");
    const fs::path folder = argv[1];
    std::error_code error;
    std::vector<fs::path> inis;
    std::vector<fs::path> bitmaps;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, error)) {
        const fs::path name = e.path().filename();
        if (name.string().starts_with(".")) continue;
        if (!e.is_regular_file()) return Fail(e.path().string() + " is not a file");
        if (HasExtension(name, ".ini")) {
            inis.push_back(e.path());
        } else if (HasExtension(name, ".bmp")) {
            bitmaps.push_back(e.path());
        } else {
            return Fail(e.path().string() + " is neither an INI text nor a BMP file");
        }
    }
    if (error) return Fail("cannot read the folder " + folder.string() + ": " + error.message());
    if (inis.size() != 1) return Fail(folder.string() + " must hold exactly one .ini file");
    std::sort(bitmaps.begin(), bitmaps.end());

    // The description first, then the bitmaps in the order of their names.
    std::vector<skin::PackEntry> entries;
    entries.push_back({inis[0].filename().string(), ReadAll(inis[0])});
    for (const fs::path& p : bitmaps) {
        skin::PackEntry e{p.filename().string(), ReadAll(p)};
        uint64_t budget = skin::kMaxSkinPixels;
        if (skin::DecodeSkinBitmap(e.bytes, budget).Empty()) {
            return Fail(p.string() + " is not a BMP file that Strakel reads");
        }
        entries.push_back(std::move(e));
    }
    if (entries.size() > skin::kMaxEntries) return Fail("more than 1001 files");

    const std::vector<uint8_t> file = skin::PackSkinFile(skin::BuildContainer(entries));
    const skin::LoadResult check = skin::LoadSkin(file);
    if (check.status != skin::LoadStatus::kLoaded) {
        return Fail("the packed skin does not load: " + check.detail + check.message);
    }
    int systemError = 0;
    if (pix::WriteFileAtomically(argv[2], file, &systemError) != 1) {
        return Fail(std::string("cannot write ") + argv[2] + ": " +
                    std::error_code(systemError, std::generic_category()).message());
    }
    return 0;
}
