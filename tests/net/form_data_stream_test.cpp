// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/form_data_stream.h"

#include <gtest/gtest.h>

#include <regex>

#include "net/net_errors.h"
#include "tests/net/expect_error.h"

namespace {
const TNetLocalTime kMarch9 = {2007, 3, 9, 14, 5, 7, 42};

const char kSearchBody[] =
    "----------030907140507042\r\n"
    "Content-Disposition: form-data; name=\"search\"\r\n"
    "\r\n"
    "1\r\n"
    "\r\n"
    "----------030907140507042--\r\n";

std::string ReadAll(TNetMultiPartFormDataStream& form, std::size_t piece) {
    std::string out;
    std::string buffer(piece, '\0');
    while (std::size_t n = form.Read(buffer.data(), piece)) out.append(buffer.data(), n);
    return out;
}
}  // namespace

TEST(FormDataStream, BoundaryFollowsTheLocalClock) {
    EXPECT_EQ(FormBoundaryFor(kMarch9), "--------030907140507042");
    EXPECT_EQ(FormBoundaryFor({1999, 12, 31, 23, 59, 58, 999}), "--------123199235958999");
    TNetMultiPartFormDataStream now;
    EXPECT_TRUE(std::regex_match(now.Boundary(), std::regex("-{8}[0-9]{15}"))) << now.Boundary();
    EXPECT_EQ(now.RequestContentType(), "multipart/form-data; boundary=" + now.Boundary());
}

TEST(FormDataStream, SearchFormIs110BytesInAnyPieces) {
    for (std::size_t piece : {1u, 7u, 31u, 110u, 32768u}) {
        TNetMultiPartFormDataStream form(kMarch9);
        form.AddTextField("search", "1");
        ASSERT_EQ(form.Size(), 110);
        EXPECT_EQ(ReadAll(form, piece), kSearchBody) << "piece " << piece;
        EXPECT_EQ(form.Position(), 110);
    }
}

TEST(FormDataStream, SizeGrowsByEachPartAndBodyKeepsFieldOrder) {
    TNetMultiPartFormDataStream form(kMarch9);
    EXPECT_EQ(form.Size(), 31);
    EXPECT_EQ(ReadAll(form, 100), "\r\n----------030907140507042--\r\n");
    form.AddTextField("a", "");
    EXPECT_EQ(form.Size(), 31 + 73);
    form.AddTextField("name", "x y\r\nz");
    EXPECT_EQ(form.Size(), 31 + 73 + 82);
    form.Seek(0);
    EXPECT_EQ(ReadAll(form, 5),
              "----------030907140507042\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n\r\n"
              "----------030907140507042\r\nContent-Disposition: form-data; name=\"name\"\r\n\r\n"
              "x y\r\nz\r\n"
              "\r\n----------030907140507042--\r\n");
}

TEST(FormDataStream, OnlyPositionZeroRestarts) {
    TNetMultiPartFormDataStream form(kMarch9);
    form.AddTextField("search", "1");
    char head[10];
    ASSERT_EQ(form.Read(head, 10), 10u);
    EXPECT_EQ(form.Seek(3), 10);
    EXPECT_EQ(ReadAll(form, 64), std::string(kSearchBody).substr(10));
    EXPECT_EQ(form.Seek(0), 0);
    EXPECT_EQ(ReadAll(form, 64), kSearchBody);
}

TEST(FormDataStream, WritingFails) {
    TNetMultiPartFormDataStream form;
    ExpectError<ENetException>([&] { form.Write("x", 1); }, "Unsupported operation.");
}
