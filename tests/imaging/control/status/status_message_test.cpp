// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/control/status/status_message.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct Entry {
    int32_t code;
    const char* text;
};

void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.code;
}

class StatusText : public testing::TestWithParam<Entry> {};

TEST_P(StatusText, IsExact) {
    EXPECT_EQ(StatusMessage(GetParam().code), GetParam().text);
}

// Successful and dialog codes, and the codes around them that have no text.
INSTANTIATE_TEST_SUITE_P(
    SuccessAndDialog, StatusText,
    testing::Values(
        Entry{0, "Function not successful."}, Entry{1, "Function successful."},
        Entry{2, "Function successful with an abort request."},
        Entry{3, "Function successful. Delete file before quiting."},
        Entry{6, "Function successful. Ignore this marker and all remaining markers "},
        Entry{7, "Function successful. Ignore this marker but copy all remaining markers."},
        Entry{8, "Undefined Error: 8"}, Entry{99, "Undefined Error: 99"},
        Entry{100, "The \"OK\" button was pressed, and the dialog exited successfully."},
        Entry{101, "The \"Cancel\" button was pressed, and the dialog exited successfully."},
        Entry{102, "The \"Close\" button was pressed, and the dialog exited successfully."},
        Entry{104,
              "The dialog exits successfully after selecting exit and export option, dialog "
              "parameters will have the resulting bitmap allocated."},
        Entry{105, "Undefined Error: 105"}, Entry{200, "Undefined Error: 200"},
        Entry{INT32_MAX, "Undefined Error: 2147483647"}));

// Texts that several codes share, and the ranges that one line covers.
INSTANTIATE_TEST_SUITE_P(
    SharedAndRanges, StatusText,
    testing::Values(
        Entry{-1, "Not enough memory available."}, Entry{-3, "Not enough memory available."},
        Entry{-107, "Not enough memory available."}, Entry{-30, "Internal error = - call support."},
        Entry{-46, "Internal error = - call support."},
        Entry{-62, "Internal error = - call support."}, Entry{-63, "fixed palette data not found."},
        Entry{-64, "fixed palette data not found."}, Entry{-74, "premature end= -of= -line code."},
        Entry{-77, "premature end= -of= -line code."},
        Entry{-583, "Transfer failed because of a feeder error"},
        Entry{-584, "Transfer failed because of a feeder error"},
        Entry{-600, "Internal error (Call support)."},
        Entry{-602, "Internal error (Call support)."},
        Entry{-999, "Internal error = - call support."},
        Entry{-1050, "Internal error = - call support."},
        Entry{-1058, "Internal error = - call support."}, Entry{-5, "Error writing file."},
        Entry{-102, "Error writing file."}, Entry{-10, "File not found."},
        Entry{-104, "File not found."}, Entry{-111, "Invalid handle."},
        Entry{-261, "Invalid handle."}));

// Texts whose characters are easy to get wrong: "= -" sequences, backquotes,
// double spaces, missing full stops, odd spellings.
INSTANTIATE_TEST_SUITE_P(
    TrickyCharacters, StatusText,
    testing::Values(
        Entry{-6, "File not present = - abort."},
        Entry{-12, "Image format recognized, but sub= -type not supported."},
        Entry{-29, "Escape key pressed = - or user aborted operation."},
        Entry{-84,
              "TWAIN DS or DSM reported error, app shouldn`t (no need for your app to report the "
              "error."},
        Entry{-145, "The image hasn`t changed."},
        Entry{-149, "An unspecified exception occured = - could be memory access violations."},
        Entry{-270, "Can`t resolve hostname."},
        Entry{-351, "There is nothing to do! = - i.e. no files were found."},
        Entry{-445, "he option can not be set"},
        Entry{-474,
              "Indicates that the content is not entirely secure.  Some of the content being "
              "viewed may have come from unsecured servers"},
        Entry{-700, "MRC - Invalid Segment Handle"}, Entry{-789, "Invalid structure size."},
        Entry{-791,
              "Vertical subsampling period of U must be must be multiple of vertical subsampling "
              "period of V, or vice versa. Also horizontal subsampling period of U must be "
              "multiple of horizontal subsampling period of V, or vice versa. Otherwise the error "
              "is triggered."},
        Entry{-805, "File is read= -only. Cannot open file with write access."},
        Entry{-902, "You must initialize the dialog library using P_DlgInit."},
        Entry{-1256, "MOR recognition module`s knowledge base file not found."},
        Entry{-1300, "Internal error in ATMTXT module. (End= -Of= -File detected)."},
        Entry{-1326, "can`t set the specified page to be activated."},
        Entry{-1350, "Invalid Variant type"}));

// The last listed code on each side of the gaps in the negative codes.
INSTANTIATE_TEST_SUITE_P(
    GapEdges, StatusText,
    testing::Values(
        Entry{-19, "Data CRC check error."}, Entry{-20, "Undefined Error: -20"},
        Entry{-21, "Invalid QFactor specified."}, Entry{-65, "stamp not found."},
        Entry{-66, "Undefined Error: -66"}, Entry{-69, "Undefined Error: -69"},
        Entry{-70, "invalid group 3 dat."}, Entry{-78, "bad version number."},
        Entry{-94, "TWAIN File Transfer unsupported."}, Entry{-95, "Undefined Error: -95"},
        Entry{-100, "User has aborted operation."}, Entry{-134, "OLE File I/O error."},
        Entry{-135, "Undefined Error: -135"}, Entry{-140, "Bad TIFF tag."},
        Entry{-174, "ISIS No permission/access."}, Entry{-175, "Undefined Error: -175"},
        Entry{-249, "Undefined Error: -249"}, Entry{-250, "Wave device is currently recording."},
        Entry{-409, "EXIF extensions are missing."},
        Entry{-497, "Operation cannot be completed because there are no open requests."},
        Entry{-500, "Vector handle is locked."}, Entry{-587, "The feeder is stopped by the user."},
        Entry{-706, "MRC - Invalid page"}, Entry{-770, "SVG - Invalid File Size Read"},
        Entry{-785, "Invalid format."}, Entry{-790, "Undefined Error: -790"},
        Entry{-916, "Not allowed to delete the TIFF file."}, Entry{-1049, "Undefined Error: -1049"},
        Entry{-1059, "Undefined Error: -1059"}, Entry{-1100, "HTML operation was canceled."},
        Entry{-1229, "General error in the engine."}, Entry{-1352, "Invalid dispatch"},
        Entry{-1360, "Signed image data not supported"}, Entry{-1361, "Undefined Error: -1361"},
        Entry{-1400, "Undefined Error: -1400"}, Entry{INT32_MIN, "Undefined Error: -2147483648"}));

TEST(StatusMessage, EveryCodeWithoutAnEntryNamesTheCode) {
    // Each gap between listed codes, first and last code of the gap.
    const int32_t gapEdges[] = {
        -1359, -1353, -1349, -1327, -1228, -1218, -1199, -1108, -1099, -1059, -1049, -1000, -998,
        -917,  -909,  -903,  -899,  -817,  -804,  -803,  -799,  -798,  -790,  -784,  -782,  -769,
        -751,  -739,  -730,  -720,  -707,  -699,  -692,  -689,  -663,  -659,  -633,  -629,  -603,
        -599,  -588,  -559,  -542,  -529,  -520,  -499,  -498,  -434,  -432,  -430,  -426,  -408,
        -405,  -403,  -382,  -359,  -358,  -354,  -352,  -349,  -341,  -318,  -315,  -314,  -308,
        -304,  -292,  -269,  -262,  -249,  -175,  -159,  -156,  -147,  -146,  -143,  -139,  -135,
        -99,   -95,   -69,   -66,   -20,   8,     99};
    for (int32_t code : gapEdges)
        EXPECT_EQ(StatusMessage(code), "Undefined Error: " + std::to_string(code));
}

TEST(StatusMessage, ExactlySixHundredFortyFiveCodesHaveAnEntry) {
    int withEntry = 0;
    for (int32_t code = -1400; code <= 200; ++code) {
        const std::string text = StatusMessage(code);
        if (text.rfind("Undefined Error: ", 0) == 0) continue;
        ++withEntry;
        EXPECT_GE(code, -1360);
        EXPECT_LE(code, 104);
        EXPECT_FALSE(text.empty()) << code;
    }
    EXPECT_EQ(withEntry, 645);
}

}  // namespace
