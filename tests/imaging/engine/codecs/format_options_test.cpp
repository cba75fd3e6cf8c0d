// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/format_options.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/engine/load_options.h"
#include "imaging/engine/status_codes.h"

namespace {

// The packed JBIG2 record's bytes as the image control writes them.
TEST(JBIG2Options, DefaultBytes) {
    const PixJBIG2Options o = pix::DefaultJBIG2Options();
    uint8_t bytes[78];
    std::memcpy(bytes, &o, sizeof(bytes));
    const uint8_t head[] = {
        78, 0, 0, 0,    0,    0, 0, 0, 0, 3,    0xFF, 0xFD, 0xFF, 2,    0xFE, 0xFE, 0xFE, 0,
        0,  0, 0, 0x00, 0x20, 0, 0, 0, 3, 0xFF, 0xFD, 0xFF, 2,    0xFE, 0xFE, 0xFE, 50,   0,
        0,  0, 1, 0,    0,    0, 1, 0, 0, 0,    0xD0, 0x07, 0,    0,    200,  0,    0,    0};
    EXPECT_EQ(0, std::memcmp(bytes, head, sizeof(head)));
    const uint8_t tail[] = {200, 0, 0, 0, 20,  0, 0, 0, 0, 0, 0, 0,
                            150, 0, 0, 0, 150, 0, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes + 54, tail, sizeof(tail)));
}

TEST(FormatOptions, WhatIsSetIsWhatIsGot) {
    PixJBIG2Options j = pix::DefaultJBIG2Options();
    j.ParamK = 77;
    j.Template2AT[7] = 5;
    ASSERT_EQ(P_SetJBIG2Options(&j, sizeof(j)), pix::kSuccess);
    PixJBIG2Options back{};
    ASSERT_EQ(P_GetJBIG2Options(&back, sizeof(back)), pix::kSuccess);
    EXPECT_EQ(0, std::memcmp(&back, &j, sizeof(j)));
    EXPECT_EQ(P_SetJBIG2Options(&j, 80), pix::kInvalidStructSize);

    PixPDFOptions pdf = pix::DefaultPDFOptions();
    pdf.XResolution = 300;
    P_SetPDFOptions(&pdf, sizeof(pdf));
    PixPDFOptions pdfBack{};
    P_GetPDFOptions(&pdfBack, sizeof(pdfBack));
    EXPECT_EQ(pdfBack.XResolution, 300);
    EXPECT_EQ(pdfBack.UseLibFonts, -1);

    P_SetRasterizeViewport(800, 600);
    int32_t w = 0, h = 0;
    P_GetRasterizeViewport(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    PixRTFOptions rtf{};
    ASSERT_EQ(P_GetRTFOptions(&rtf, sizeof(rtf)), pix::kSuccess);
    const double pageHeight = rtf.PageHeight;  // a packed field: read it by value
    EXPECT_EQ(pageHeight, 11.69);
    PixPLTOptions plt{};
    ASSERT_EQ(P_GetPLTOptions(&plt, sizeof(plt)), pix::kSuccess);
    EXPECT_EQ(plt.PenColor[2], 0x0000FFu);  // red as 0x00BBGGRR

    PixLoadOptions load;
    ASSERT_EQ(P_GetDefaultLoadFileOption(&load, sizeof(load)), pix::kSuccess);
    EXPECT_EQ(load.StructSize, 44u);
    load.PageNumber = 3;
    ASSERT_EQ(P_SetDefaultLoadFileOption(&load, sizeof(load)), pix::kSuccess);
    PixLoadOptions loadBack;
    P_GetDefaultLoadFileOption(&loadBack, sizeof(loadBack));
    EXPECT_EQ(loadBack.PageNumber, 3);
}

}  // namespace
