// SPDX-License-Identifier: GPL-3.0-or-later
// Time and memory of loading hostile skin files: each case builds its file in
// memory, then loads it and turns it into the window images, as a start of
// the program does. Run one case at a time under /usr/bin/time -v to read the
// peak memory: skin_load_bench CASE (no case lists them).
#include <QImage>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "skin/qt/skin_look.h"
#include "skin/skin_container.h"
#include "skin/skin_load.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

// An RLE8 bitmap of a few bytes that claims w x h pixels of one colour.
Bytes ClaimedRle8(int32_t w, int32_t h) {
    const Bytes pixels = {0, 1};  // end of bitmap at once
    Bytes b = {'B', 'M'};
    PutU32(b, uint32_t(14 + 40 + 4 + pixels.size()));
    PutU32(b, 0);
    PutU32(b, 14 + 40 + 4);
    PutU32(b, 40);
    PutU32(b, uint32_t(w));
    PutU32(b, uint32_t(h));
    PutU16(b, 1);
    PutU16(b, 8);
    PutU32(b, 1);  // BI_RLE8
    PutU32(b, uint32_t(pixels.size()));
    PutU32(b, 2835);
    PutU32(b, 2835);
    PutU32(b, 1);
    PutU32(b, 0);
    PutU32(b, 0x00FF00FF);  // magenta, so that transparent images differ
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Skin(const std::string& ini, std::vector<skin::PackEntry> entries = {}) {
    entries.insert(entries.begin(), skin::PackEntry{"skin.ini", Text(ini)});
    return skin::PackSkinFile(skin::BuildContainer(entries));
}

Bytes Claim(uint32_t n, size_t zeros) {
    Bytes b;
    PutU32(b, n);
    b.resize(4 + zeros, 0);
    return b;
}

struct Case {
    const char* name;
    const char* what;
    std::function<Bytes()> make;
};

const Case kCases[] = {
    {"references", "200 title-bar buttons naming one 1024 x 1024 RLE8 bitmap",
     [] {
         std::string ini;
         for (int i = 0; i < 200; ++i)
             ini += "[BUTTON" + std::to_string(i) +
                    "]\nButtonImage=one.bmp\nTrans=" + std::to_string(i % 2) + "\n";
         return Skin(ini, {{"one.bmp", ClaimedRle8(1024, 1024)}});
     }},
    {"budget", "2048 x 2048 bitmap, the whole pixel budget, plain and transparent",
     [] {
         return Skin(
             "[Personality]\nTop=big.bmp\nTopTrans=0\nLeft=big.bmp\nLeftTrans=1\n"
             "[Buttons]\nBitmap=big.bmp\nTrans=1\n",
             {{"big.bmp", ClaimedRle8(2048, 2048)}});
     }},
    {"colours", "40,000 COLOUR sections",
     [] {
         std::string ini;
         for (int i = 0; i < 40000; ++i) ini += "[Colour" + std::to_string(i) + "]\ncolor=1 2 3\n";
         return Skin(ini);
     }},
    {"sections", "4,096 BUTTON sections of 16 keys each",
     [] {
         std::string ini;
         for (int i = 0; i < 4096; ++i) {
             ini += "[BUTTON" + std::to_string(i) + "]\n";
             for (int k = 0; k < 15; ++k) ini += "Key" + std::to_string(k) + "=1\n";
             ini += "ButtonImage=b.bmp\n";
         }
         return Skin(ini, {{"b.bmp", ClaimedRle8(30, 10)}});
     }},
    {"tiny", "2 Mi sections of 4 bytes",
     [] {
         std::string ini;
         for (int i = 0; i < (1 << 21); ++i) ini += "[a]\n";
         return Skin(ini);
     }},
    {"huge_bitmap", "one 8000 x 8000 RLE8 bitmap",
     [] {
         return Skin("[Personality]\nTop=big.bmp\n", {{"big.bmp", ClaimedRle8(8000, 8000)}});
     }},
    {"zeros", "1 MiB of zeros claiming the largest container",
     [] { return Claim(64u * (1u << 20) + 4096, 1 << 20); }},
    {"zeros_64k", "64 KiB of zeros claiming 4 MiB", [] { return Claim(4u << 20, 64 << 10); }},
    {"zeros_1mib", "1 MiB of zeros claiming 4 MiB", [] { return Claim(4u << 20, 1 << 20); }},
    {"extremes", "every number at the ends of the 32-bit range",
     [] {
         std::string ini = "[Fonts]\nFontHeight=2147483647\n[Personality]\nTop=b.bmp\n";
         for (const char* key : {"TopTopHeight", "TopBotHeight", "TopFrame", "TextShift",
                                 "TextShiftVert", "TextRightClip", "TXTBackleft"})
             ini += std::string(key) + "=-2147483648\n";
         ini += "[Buttons]\nBitmap=b.bmp\nLeftWidth=2147483647\nTopHeight=-2147483648\n";
         ini += "[BUTTON.CLOSE]\nButtonImage=b.bmp\nXcoord=2147483647\nYcoord=-2147483648\n";
         ini += "frame=2147483647\n[GroupBox]\nImage=b.bmp\nBackgroundLeftShift=2147483647\n";
         return Skin(ini, {{"b.bmp", ClaimedRle8(90, 20)}});
     }},
    {"cut", "a skin cut in half",
     [] {
         std::string ini = "[Personality]\nTop=b.bmp\n[BUTTON.CLOSE]\nButtonImage=b.bmp\n";
         for (int i = 0; i < 40; ++i) ini += "[Colour" + std::to_string(i) + "]\ncolor=1 2 3\n";
         Bytes file = Skin(ini, {{"b.bmp", ClaimedRle8(90, 20)}});
         file.resize(file.size() / 2);
         return file;
     }},
    {"random", "the largest container, of random bytes: a slow decode",
     [] {
         Bytes container(4u << 20);
         uint32_t x = 1;
         for (uint8_t& b : container) {
             x = x * 1664525u + 1013904223u;
             b = uint8_t(x >> 24);
         }
         return skin::PackSkinFile(container);
     }},
};

}  // namespace

int main(int argc, char** argv) {
    // --write DIR: stores the cases under 10 KB as the skin fuzzer's inputs
    // (a first byte of 0 for a whole file).
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        for (const Case& c : kCases) {
            Bytes file = c.make();
            if (file.size() >= 10000) continue;
            file.insert(file.begin(), 0);
            const std::string path = std::string(argv[2]) + "/file-" + c.name + ".skn";
            if (FILE* f = std::fopen(path.c_str(), "wb")) {
                std::fwrite(file.data(), 1, file.size(), f);
                std::fclose(f);
            }
        }
        return 0;
    }
    for (const Case& c : kCases) {
        if (argc > 1 && std::strcmp(argv[1], c.name) != 0) continue;
        const Bytes file = c.make();
        const auto start = std::chrono::steady_clock::now();
        const skin::LoadResult r = skin::LoadSkin(file);
        size_t images = 0;
        if (r.status == skin::LoadStatus::kLoaded) {
            const SkinLook look = SkinLookFromSkin(r.skin);
            images = look.titleButtons.size();
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%-12s %8zu bytes %9.1f ms  status %d %s, %zu title buttons  (%s)\n", c.name,
                    file.size(), ms, int(r.status), r.detail.c_str(), images, c.what);
    }
    return 0;
}
