// SPDX-License-Identifier: GPL-3.0-or-later
// Writes every save case, a multi-page TIFF, pages placed into an existing
// TIFF and files with stamps into a folder, with the pixels each must hold as
// binary PPM and a manifest saying what an independent reader should find
// (save_interop.sh and save_interop_check.py).
// Usage: save_interop_write FOLDER
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/engine/bitmap_list.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/save_cases.h"

using namespace fixtures;

namespace {

std::string g_dir;
std::ofstream g_manifest;

bool WritePpm(const std::string& name, int w, int h, const std::vector<uint8_t>& bgr) {
    std::ofstream out(g_dir + "/" + name, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
        const char rgb[3] = {char(bgr[i + 2]), char(bgr[i + 1]), char(bgr[i])};
        out.write(rgb, 3);
    }
    return bool(out);
}

bool Check(int32_t status, const std::string& what) {
    if (status != pix::kSuccess) std::fprintf(stderr, "%s: status %d\n", what.c_str(), status);
    return status == pix::kSuccess;
}

PixBitmap Solid(int r, int g, int b) {
    PixBitmap s;
    P_InitBitmap(&s, sizeof(s), 8, 6, 24);
    P_AllocateBitmap(&s, sizeof(s));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = PixRow(s, y) + 3 * x;
            p[0] = uint8_t(b);
            p[1] = uint8_t(g);
            p[2] = uint8_t(r);
        }
    return s;
}

PixSaveFileOptions Options(uint32_t flags, int32_t page) {
    PixSaveFileOptions o;
    P_GetDefaultSaveFileOption(&o, sizeof(o));
    o.Flags |= flags;
    o.PageNumber = page;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_interop_write FOLDER\n");
        return 2;
    }
    g_dir = argv[1];
    g_manifest.open(g_dir + "/manifest");
    bool ok = true;
    for (const SaveCase& c : SaveCases()) {
        PixBitmap source = MakeSource(c.source);
        const std::string file = c.name + ExtensionOf(c.format);
        PixSaveFileOptions o = Options(0, kSaveNewFile);
        o.Compression = c.compression;
        ok &= Check(P_SaveBitmap((g_dir + "/" + file).c_str(), &source, c.format, c.bits,
                                 c.qualityFactor, &o),
                    file);
        ok &=
            WritePpm(std::string(c.name) + ".ppm", source.Width, source.Height, ExpectedPixels(c));
        g_manifest << "image " << file << " " << c.name << ".ppm " << c.tolerance << " 0 " << c.bits
                   << "\n";
        P_FreeBitmap(&source);
    }

    // A pencil drawing: 24 bits whose pixels are all grey, which PNG holds as
    // 8-bit grey.
    {
        PixBitmap drawing = MakeSource(Source::kDrawing24);
        ok &= Check(P_SaveBitmap((g_dir + "/drawing.png").c_str(), &drawing, pix::kFormatPng, 24, 2,
                                 nullptr),
                    "drawing.png");
        ok &= WritePpm("drawing.ppm", drawing.Width, drawing.Height, Pixels24(drawing));
        g_manifest << "image drawing.png drawing.ppm 0 0 8\n";
        P_FreeBitmap(&drawing);
    }

    // Three pages of different depths in one TIFF.
    HBITMAPLIST list;
    P_CreateBitmapList(&list);
    const Source kinds[] = {Source::kColour24, Source::kGrey8, Source::kPalette8};
    for (int i = 0; i < 3; ++i) {
        PixBitmap page = MakeSource(kinds[i]);
        const std::string ppm = "pages-" + std::to_string(i) + ".ppm";
        ok &= WritePpm(ppm, page.Width, page.Height, Pixels24(page));
        g_manifest << "image pages.tif " << ppm << " 0 " << i << " " << page.BitsPerPixel << "\n";
        P_InsertBitmapListItem(list, uint32_t(i), &page, sizeof(page));
    }
    ok &= Check(
        P_SaveBitmapList((g_dir + "/pages.tif").c_str(), list, pix::kFormatTiff, 0, 2, nullptr),
        "pages.tif");
    P_DestroyBitmapList(list);
    g_manifest << "frames pages.tif 3\n";

    // New file A, then B appended, C put first, D in place of A: C, D, B.
    const std::string placed = g_dir + "/placed.tif";
    struct Step {
        int r, g, b;
        uint32_t flags;
        int32_t page;
    };
    const Step steps[] = {{200, 0, 0, 0, kSaveNewFile},
                          {0, 200, 0, 0, kSaveAppendPage},
                          {0, 0, 200, kSaveInsertPage, 0},
                          {90, 90, 0, kSaveReplacePage, 1}};
    for (const Step& s : steps) {
        PixBitmap b = Solid(s.r, s.g, s.b);
        const PixSaveFileOptions o = Options(s.flags, s.page);
        ok &= Check(P_SaveBitmap(placed.c_str(), &b, pix::kFormatTiff, 24, 2, &o), "placed.tif");
        P_FreeBitmap(&b);
    }
    const int order[3][3] = {{0, 0, 200}, {90, 90, 0}, {0, 200, 0}};
    for (int i = 0; i < 3; ++i) {
        PixBitmap b = Solid(order[i][0], order[i][1], order[i][2]);
        const std::string ppm = "placed-" + std::to_string(i) + ".ppm";
        ok &= WritePpm(ppm, 8, 6, Pixels24(b));
        g_manifest << "image placed.tif " << ppm << " 0 " << i << " 24\n";
        P_FreeBitmap(&b);
    }
    g_manifest << "frames placed.tif 3\n";

    // Stamps fitted into 16 x 16: the 37 x 23 picture gives 16 x 10.
    PixBitmap colour = MakeSource(Source::kColour24);
    for (const int32_t format : {pix::kFormatJpeg, pix::kFormatTiff}) {
        PixSaveFileOptions o = Options(0, kSaveNewFile);
        o.Flags = kSaveWithStamp;
        o.StampWidth = 16;
        o.StampHeight = 16;
        o.StampBits = 24;
        const std::string file = "stamp" + ExtensionOf(format);
        ok &= Check(P_SaveBitmap((g_dir + "/" + file).c_str(), &colour, format, 24, 2, &o), file);
        g_manifest << (format == pix::kFormatJpeg ? "thumbnail " : "reduced ") << file
                   << " 16 10\n";
    }
    P_FreeBitmap(&colour);
    return ok ? 0 : 1;
}
