// SPDX-License-Identifier: GPL-3.0-or-later
// Every format and depth the engine saves, written through P_SaveBitmap and
// read back with our loader: the pixels are the ones the save was given (the
// reduced picture for lower depths), exactly for lossless formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/imaging/engine/codecs/save_cases.h"

using namespace fixtures;

namespace {

class SaveRoundTrip : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveRoundTrip, LoadsBackWithThePixelsSaved) {
    const SaveCase& c = GetParam();
    PixBitmap source = MakeSource(c.source);
    const std::string path = WriteTemp(std::string(c.name) + ExtensionOf(c.format), {});
    PixSaveFileOptions o;
    P_GetDefaultSaveFileOption(&o, sizeof(o));
    o.Compression = c.compression;
    ASSERT_EQ(P_SaveBitmap(path.c_str(), &source, c.format, c.bits, c.qualityFactor, &o),
              pix::kSuccess);
    P_FreeBitmap(&source);

    PixFileInfo info{};
    info.StructSize = sizeof(info);
    ASSERT_EQ(P_FileInfo(path.c_str(), &info, sizeof(info), 0, nullptr), pix::kSuccess);
    EXPECT_EQ(info.Format, c.format);
    EXPECT_EQ(info.FileBitsPerPixel, c.bits) << "the depth stored in the file";

    PixBitmap back;
    ASSERT_EQ(pix::LoadBitmapFile(path, &back, 24), pix::kSuccess);
    const std::vector<uint8_t> got = Pixels24(back), want = ExpectedPixels(c);
    P_FreeBitmap(&back);
    ASSERT_EQ(got.size(), want.size());
    int worst = 0;
    for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
    EXPECT_LE(worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Table, SaveRoundTrip, testing::ValuesIn(SaveCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
