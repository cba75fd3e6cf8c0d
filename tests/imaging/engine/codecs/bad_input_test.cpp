// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of bad input, kept as a named file among the fuzzers' stored
// inputs, must be refused with its status and leave no bitmap behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "imaging/engine/file_load.h"
#include "imaging/engine/status_codes.h"

namespace {

struct BadFile {
    const char* name;
    int32_t status;
};

// The stored input `name` of the fuzzer for its format, chosen by extension.
std::string CorpusPath(const std::string& name) {
    const char* root = std::getenv("STRAKEL_TEST_CORPUS");
    const std::string ext = name.substr(name.rfind('.') + 1);
    const std::string fuzzer = ext == "jpg"   ? "jpeg"
                               : ext == "tif" ? "tiff"
                               : ext == "cin" ? "cineon"
                               : ext == "txt" ? "bmp"
                               : ext == "j2k" ? "jp2"
                                              : ext;
    return std::string(root ? root : "fuzz/corpus") + "/" + fuzzer + "/" + name;
}

class BadInput : public testing::TestWithParam<BadFile> {};

TEST_P(BadInput, IsRefusedWithItsStatus) {
    const BadFile& f = GetParam();
    PixBitmap bitmap;
    P_InitBitmap(&bitmap, sizeof(bitmap), 0, 0, 0);
    EXPECT_EQ(pix::LoadBitmapFile(CorpusPath(f.name), &bitmap, 0), f.status);
    EXPECT_EQ(bitmap.Width, 0);
    EXPECT_EQ(bitmap.Height, 0);
    EXPECT_EQ(bitmap.Data, nullptr);
    EXPECT_EQ(bitmap.Flags & kBitmapAllocated, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInput,
    testing::Values(
        BadFile{"truncated-rle8.bmp", pix::kFileRead},
        BadFile{"truncated-pixels.bmp", pix::kFileRead},
        BadFile{"truncated-header.bmp", pix::kFileRead},
        BadFile{"zero-width.bmp", pix::kInvalidSize},
        BadFile{"side-over-65535.bmp", pix::kInvalidSize},
        BadFile{"pixels-over-1gib.bmp", pix::kNoMemory},
        BadFile{"unknown-header-size.bmp", pix::kSubTypeUnsupported},
        BadFile{"embedded-jpeg-compression.bmp", pix::kUnknownCompression},
        BadFile{"rle8-top-down.bmp", pix::kFileFormat},
        BadFile{"seven-bits-per-pixel.bmp", pix::kInvalidBitsPerPixel},
        BadFile{"non-contiguous-mask.bmp", pix::kFileFormat},
        BadFile{"truncated-verbatim.sgi", pix::kFileRead},
        BadFile{"five-channels.sgi", pix::kSubTypeUnsupported},
        BadFile{"rle-row-outside-file.sgi", pix::kFileRead},
        BadFile{"zero-height.sgi", pix::kInvalidSize}, BadFile{"truncated.cin", pix::kFileRead},
        BadFile{"eight-bit-channels.cin", pix::kSubTypeUnsupported},
        BadFile{"truncated.jpg", pix::kFileRead}, BadFile{"pixels-over-1gib.jpg", pix::kNoMemory},
        BadFile{"sample-precision-7.jpg", pix::kFileFormat},
        BadFile{"truncated.png", pix::kFileRead}, BadFile{"bad-crc.png", pix::kFileFormat},
        BadFile{"side-over-65535.png", pix::kInvalidSize},
        BadFile{"truncated.tif", pix::kFileFormat},
        BadFile{"ifd-outside-file.tif", pix::kFileFormat},
        BadFile{"directory-names-itself.tif", pix::kFileFormat},
        BadFile{"directories-loop-to-first.tif", pix::kFileFormat},
        BadFile{"truncated.jp2", pix::kFileRead}, BadFile{"truncated-siz.j2k", pix::kFileRead},
        BadFile{"side-over-65535.j2k", pix::kInvalidSize},
        BadFile{"subsampled.j2k", pix::kSubTypeUnsupported},
        BadFile{"precision-32.j2k", -540},  // "... more than 30 bits per component."
        BadFile{"too-many-tiles.j2k", pix::kNotSupported},
        BadFile{"bad-box-length.jp2", -530},  // "Error in JP2 Box values."
        BadFile{"palette.jp2", -532},         // "JP2 file has a feature that is usupported."
        BadFile{"no-soc-marker.jp2", -534},   // "File header does not contain SOC marker."
        BadFile{"not-an-image.txt", pix::kFileFormat}, BadFile{"empty.bmp", pix::kFileFormat}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == '-' || c == '.') c = '_';
        return n;
    });

}  // namespace
