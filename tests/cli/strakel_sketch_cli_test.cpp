// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the strakel-sketch program as a user would and checks its exit status,
// its messages and the files it leaves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/printable_name.h"
#include "cli/progress_bar.h"
#include "cli/sketch_job.h"
#include "imaging/engine/atomic_file.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/retouch_ops.h"
#include "imaging/engine/status_codes.h"
#include "sketch/sketch_pipeline.h"
#include "strakel_version.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace fs = std::filesystem;

namespace {

// Sanitizers reserve far more address space than any such limit.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define STRAKEL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define STRAKEL_UNDER_SANITIZER 1
#endif
#endif

// A shell prefix that caps the program's address space at `kib`, except under
// a sanitizer.
std::string MemoryCap(long kib) {
#ifdef STRAKEL_UNDER_SANITIZER
    (void)kib;
    return "";
#else
    return "ulimit -v " + std::to_string(kib) + "; ";
#endif
}

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class StrakelSketchCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("strakel-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the program in the test folder; standard input is `input` (empty
    // by default) and
    // standard error is not a terminal, so no progress bar is drawn.
    // `prefix` goes before the program in the shell's command line.
    RunResult Run(const std::vector<std::string>& args, const std::string& prefix = "",
                  const std::string& input = "/dev/null") {
        std::string cmd =
            "cd " + Quote(dir_.string()) + " && " + prefix + Quote(STRAKEL_SKETCH_EXE);
        for (const std::string& a : args) cmd += " " + Quote(a);
        cmd += " <" + Quote(input) + " >" + Quote((dir_ / ".out").string()) + " 2>" +
               Quote((dir_ / ".err").string());
        const int status = std::system(cmd.c_str());
        RunResult r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadFile(dir_ / ".out");
        r.err = ReadFile(dir_ / ".err");
        fs::remove(dir_ / ".out");
        fs::remove(dir_ / ".err");
        return r;
    }

    // Writes a 24-bit BMP photo with a few edges and flat areas.
    void WritePhoto(const std::string& name, int32_t width, int32_t height, int seed = 0) {
        PixBitmap b{};
        P_InitBitmap(&b, sizeof b, width, height, 24);
        ASSERT_EQ(P_AllocateBitmap(&b, sizeof b), pix::kSuccess);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = PixRow(b, y) + 3 * x;
                const bool square = ((x + seed) / 6 + y / 6) % 2 == 0;
                p[0] = uint8_t(square ? 255 : (x * 5 + seed) % 256);
                p[1] = uint8_t(square ? 255 : (y * 9) % 256);
                p[2] = uint8_t(square ? 255 : 90);
            }
        ASSERT_EQ(pix::SaveBitmapFile(b, (dir_ / name).string(), pix::kFormatBmp), pix::kSuccess);
        P_FreeBitmap(&b);
    }

    // The drawing the pipeline makes of a photo file, as raw top-down rows.
    // With a brightness change and a sharpen amount, retouched as OK in the
    // window's two dialogs retouches it.
    std::vector<uint8_t> ExpectedDrawing(const std::string& photo, sketch::BlendMode mode,
                                         int32_t brightness = 0, int32_t sharpen = 0,
                                         const sketch::DrawingLook& look = {}) {
        PixBitmap loaded{}, drawing{};
        P_InitBitmap(&drawing, sizeof drawing, 0, 0, 0);
        EXPECT_EQ(pix::LoadBitmapFile((dir_ / photo).string(), &loaded, 0), pix::kSuccess);
        EXPECT_TRUE(sketch::DrawSketch(loaded, mode, look, &drawing).ok());
        EXPECT_EQ(P_ChangeBitmapBrightness(&drawing, brightness), pix::kSuccess);
        EXPECT_EQ(P_SharpenBitmap(&drawing, sharpen), pix::kSuccess);
        auto pixels = Pixels(drawing);
        P_FreeBitmap(&loaded);
        P_FreeBitmap(&drawing);
        return pixels;
    }

    std::vector<uint8_t> PixelsOfFile(const std::string& name) {
        PixBitmap loaded{};
        EXPECT_EQ(pix::LoadBitmapFile((dir_ / name).string(), &loaded, 24), pix::kSuccess) << name;
        auto pixels = Pixels(loaded);
        P_FreeBitmap(&loaded);
        return pixels;
    }

    static std::vector<uint8_t> Pixels(const PixBitmap& b) {
        std::vector<uint8_t> out;
        if (!(b.Flags & kBitmapAllocated)) return out;
        for (int32_t y = 0; y < b.Height; ++y)
            out.insert(out.end(), PixRow(b, y), PixRow(b, y) + 3 * size_t(b.Width));
        return out;
    }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir_))
            if (e.is_regular_file()) names.insert(fs::relative(e.path(), dir_).string());
        return names;
    }

    fs::path dir_;
};

TEST_F(StrakelSketchCli, BadUsageExitsWith2AndSaysWhy) {
    WritePhoto("a.bmp", 8, 8);
    WritePhoto("b.bmp", 8, 8);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "no photo given"},
        {{"--colour", "a.bmp"}, "unknown option --colour"},
        {{"-o", "x.png", "a.bmp", "b.bmp"}, "option -o takes exactly one photo"},
        {{"-o", "x.png", "-d", ".", "a.bmp"}, "options -o and -d exclude each other"},
        {{"-j", "0", "a.bmp"}, "option -j needs a number from 1 to 1024"},
        {{"-j", "2x", "a.bmp"}, "option -j needs a number from 1 to 1024"},
        {{"a.bmp", "-o"}, "option -o needs a file name"},
        {{"-o", "x.gif", "a.bmp"},
         "cannot write x.gif: use a name ending in .bmp, .dib, .jpg, .jpeg, .jpe, .jfif, .png, "
         ".tif, .tiff, .sgi, .rgb, .bw, .jp2, .j2k or .j2c, or --format"},
        {{"--format", "gif", "a.bmp"},
         "option --format needs one of .bmp, .dib, .jpg, .jpeg, .jpe, .jfif, .png, .tif, .tiff, "
         ".sgi, .rgb, .bw, .jp2, .j2k or .j2c"},
        {{"a.bmp", "--format"},
         "option --format needs one of .bmp, .dib, .jpg, .jpeg, .jpe, .jfif, .png, .tif, .tiff, "
         ".sgi, .rgb, .bw, .jp2, .j2k or .j2c"},
        {{"-o", "x.png", "--format", "jpg", "a.bmp"},
         "option --format jpg and the extension of x.png differ"},
        {{"--quality", "0", "a.bmp"}, "option --quality needs a whole number from 1 to 100"},
        {{"--quality=101", "a.bmp"}, "option --quality needs a whole number from 1 to 100"},
        {{"--brightness", "1001", "a.bmp"},
         "option --brightness needs a whole number from -1000 to 1000"},
        {{"--brightness", "-1001", "a.bmp"},
         "option --brightness needs a whole number from -1000 to 1000"},
        {{"a.bmp", "--brightness"}, "option --brightness needs a whole number from -1000 to 1000"},
        {{"--sharpen", "-1", "a.bmp"}, "option --sharpen needs a whole number from 0 to 1000"},
        {{"--sharpen", "2.5", "a.bmp"}, "option --sharpen needs a whole number from 0 to 1000"},
        {{"--sharpen", "", "a.bmp"}, "option --sharpen needs a whole number from 0 to 1000"},
        {{"--sharpen", "99999999999", "a.bmp"},
         "option --sharpen needs a whole number from 0 to 1000"},
        {{"--threshold", "256", "a.bmp"}, "option --threshold needs a whole number from 0 to 255"},
        {{"--threshold=-1", "a.bmp"}, "option --threshold needs a whole number from 0 to 255"},
        {{"--threshold", "1e1", "a.bmp"}, "option --threshold needs a whole number from 0 to 255"},
        {{"a.bmp", "--threshold"}, "option --threshold needs a whole number from 0 to 255"},
        {{"--tone", "101", "a.bmp"}, "option --tone needs a whole number from 0 to 100"},
        {{"--tone", "-5", "a.bmp"}, "option --tone needs a whole number from 0 to 100"},
        {{"--tone=20%", "a.bmp"}, "option --tone needs a whole number from 0 to 100"},
        {{"--tone", "", "a.bmp"}, "option --tone needs a whole number from 0 to 100"},
        {{"--shading=yes", "a.bmp"}, "option --shading takes no value"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.err, "strakel-sketch: " + c.message + "\nTry 'strakel-sketch --help'.\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"a.bmp", "b.bmp"}));
}

TEST_F(StrakelSketchCli, HelpAndVersion) {
    RunResult r = Run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "Usage: strakel-sketch [--color] [--threshold T] [--tone W] [--shading]");
    EXPECT_NE(r.out.find("\n      --threshold=T   edge threshold, from 0 to 255 (default 14)"),
              std::string::npos);
    EXPECT_NE(r.out.find("\n      --brightness=C  retouch"), std::string::npos);
    EXPECT_NE(r.out.find("\n  -o, --output=OUT    write"), std::string::npos);
    EXPECT_EQ(r.out.substr(r.out.rfind("\n\n")), "\n\nReport bugs to the Strakel developers.\n");
    for (const char* option : {"--version", "-V"}) {
        r = Run({option});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "strakel-sketch (Strakel) " + std::string(kStrakelVersion) +
                             "\n"
                             "Copyright (C) 2026 The Strakel developers.\n"
                             "License GPL-3.0-or-later: GNU GPL version 3 or later "
                             "<https://gnu.org/licenses/gpl.html>.\n"
                             "This is free software: you are free to change and redistribute "
                             "it.\n"
                             "There is NO WARRANTY, to the extent permitted by law.\n");
    }
}

TEST_F(StrakelSketchCli, WritesTheDrawingOfThePipelineInBothModesAndFormats) {
    WritePhoto("photo.bmp", 23, 17);
    RunResult r = Run({"-o", "pencil.bmp", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(PixelsOfFile("pencil.bmp"), ExpectedDrawing("photo.bmp", sketch::BlendMode::kPencil));

    r = Run({"--color", "-o", "colour.PNG", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto color = ExpectedDrawing("photo.bmp", sketch::BlendMode::kColorPencil);
    EXPECT_EQ(PixelsOfFile("colour.PNG"), color);
    EXPECT_NE(color, PixelsOfFile("pencil.bmp"));

    // The extension chooses the format: lossless ones give the same pixels, and
    // a JPEG is a JPEG of the drawing's size.
    for (const char* name : {"color.tif", "color.SGI", "color.rgb"}) {
        r = Run({"--color", "-o", name, "photo.bmp"});
        ASSERT_EQ(r.exitCode, 0) << name << r.err;
        EXPECT_EQ(PixelsOfFile(name), color) << name;
    }
    r = Run({"--color", "-o", "color.jpg", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "color.jpg").substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(PixelsOfFile("color.jpg").size(), color.size());
    // JPEG 2000 is lossless at quality 100 and lossy at the default 90.
    r = Run({"--color", "--quality", "100", "-o", "color.jp2", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "color.jp2").substr(4, 4), "jP  ");
    EXPECT_EQ(PixelsOfFile("color.jp2"), color);
    r = Run({"--color", "-o", "color.j2k", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "color.j2k").substr(0, 4), "\xFF\x4F\xFF\x51");
    EXPECT_EQ(PixelsOfFile("color.j2k").size(), color.size());

    // Without -o or -d the drawing goes beside the photo.
    r = Run({"photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PixelsOfFile("photo-sketch.png"), PixelsOfFile("pencil.bmp"));
}

// Small grey photos whose grey rises by 8 a picture row upwards and 30 a
// column: every pixel of the drawing, its edges included, is an edge image
// pixel blended with 20 % of the photo. Where a pixel's block reaches below the
// bottom row or past the right column it repeats that row or column.
TEST_F(StrakelSketchCli, DrawsEveryPixelOfSmallPhotosUpToTheEdges) {
    const struct {
        int32_t w, h;
        std::vector<std::vector<int>> rows;  // grey of the drawing, top row first
    } cases[] = {
        {1, 1, {{208}}},
        {2, 2, {{186, 216}, {184, 214}}},
        {3,
         5,
         {{166, 196, 214}, {165, 195, 212}, {163, 193, 210}, {162, 192, 222}, {160, 190, 220}}},
    };
    for (const auto& tc : cases) {
        PixBitmap b{};
        P_InitBitmap(&b, sizeof b, tc.w, tc.h, 24);
        ASSERT_EQ(P_AllocateBitmap(&b, sizeof b), pix::kSuccess);
        for (int32_t y = 0; y < tc.h; ++y)
            for (int32_t x = 0; x < tc.w; ++x)
                std::memset(PixRow(b, y) + 3 * x, 20 + 8 * (tc.h - 1 - y) + 30 * x, 3);
        ASSERT_EQ(pix::SaveBitmapFile(b, (dir_ / "small.bmp").string(), pix::kFormatBmp),
                  pix::kSuccess);
        P_FreeBitmap(&b);

        const RunResult r = Run({"--force", "-o", "small.png", "small.bmp"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::vector<uint8_t> expected;
        for (const auto& row : tc.rows)
            for (int grey : row) expected.insert(expected.end(), 3, uint8_t(grey));
        EXPECT_EQ(PixelsOfFile("small.png"), expected) << tc.w << " x " << tc.h;
    }
}

// The first luminance quantiser of a JPEG file: libjpeg's table scaled by the
// quality, 16 at 50, 3 at 90, 1 at 100.
int FirstQuantiser(const std::string& jpeg) {
    const size_t at = jpeg.find("\xFF\xDB");
    return at == std::string::npos || at + 5 >= jpeg.size() ? -1 : uint8_t(jpeg[at + 5]);
}

TEST_F(StrakelSketchCli, FormatAndQualityChooseTheOutput) {
    WritePhoto("photo.bmp", 23, 17);
    RunResult r = Run({"-o", "pencil.bmp", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<uint8_t> pencil = PixelsOfFile("pencil.bmp");

    // --format names the drawings after it, and -d with it.
    r = Run({"--format", "jpg", "-d", "out", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string jpeg = ReadFile(dir_ / "out" / "photo-sketch.jpg");
    EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(FirstQuantiser(jpeg), 3) << "quality 90 by default";
    for (const auto& [quality, first] : {std::pair{"50", 16}, std::pair{"100", 1}}) {
        r = Run({"-f", "--quality", quality, "--format=.JPG", "-o", "q.jpeg", "photo.bmp"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FirstQuantiser(ReadFile(dir_ / "q.jpeg")), first) << quality;
    }
    r = Run({"--format", "TIF", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PixelsOfFile("photo-sketch.tif"), pencil);
    // An -o name without a known extension takes the format of --format.
    r = Run({"--format", "png", "-o", "drawing", "photo.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir_ / "drawing").substr(0, 4), "\x89PNG");
}

TEST_F(StrakelSketchCli, RetouchesAsTheDialogsDoBrightnessFirst) {
    WritePhoto("photo.bmp", 31, 19);
    const auto plain = ExpectedDrawing("photo.bmp", sketch::BlendMode::kPencil);
    const struct {
        std::vector<std::string> args;
        int32_t brightness, sharpen;
    } cases[] = {
        {{"--brightness", "-250", "--sharpen", "400"}, -250, 400},
        // The order on the command line does not change the order of work.
        {{"--sharpen", "400", "--brightness", "-250"}, -250, 400},
        {{"--sharpen", "1000"}, 0, 1000},
        {{"--color", "--brightness", "+1000"}, 1000, 0},
        {{"--brightness", "-1000", "--sharpen", "0"}, -1000, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-f", "-o", "out.png", "photo.bmp"});
        const RunResult r = Run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const bool color = args[0] == "--color";
        const auto expected = ExpectedDrawing(
            "photo.bmp", color ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil,
            c.brightness, c.sharpen);
        EXPECT_EQ(PixelsOfFile("out.png"), expected) << args[0] << " " << args[1];
        EXPECT_NE(expected, plain);
    }
}

// Each look option draws what the drawing sequence draws with it; the
// defaults, also when given, draw the window's drawing.
TEST_F(StrakelSketchCli, DrawsWithTheThresholdToneAndShadingAskedFor) {
    WritePhoto("photo.bmp", 41, 29);
    const auto pencil = ExpectedDrawing("photo.bmp", sketch::BlendMode::kPencil);
    auto look = [](int threshold, std::optional<int> tone, bool shading) {
        sketch::DrawingLook l;
        l.threshold = threshold;
        l.tonePercent = tone;
        l.shading = shading;
        return l;
    };
    const struct {
        std::vector<std::string> args;
        sketch::DrawingLook look;
        bool plain;  // the same pixels as without any option
    } cases[] = {
        {{"--threshold", "14", "--tone", "20"}, look(14, 20, false), true},
        {{"--color", "--tone=25"}, look(14, 25, false), true},
        {{"--threshold", "3"}, look(3, std::nullopt, false), false},
        {{"--threshold=255"}, look(255, std::nullopt, false), false},
        {{"--tone", "60"}, look(14, 60, false), false},
        {{"--color", "--tone", "0"}, look(14, 0, false), false},
        {{"--shading"}, look(14, std::nullopt, true), false},
        {{"--color", "--shading", "--threshold", "30", "--tone", "+40", "--brightness", "100"},
         look(30, 40, true),
         false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-f", "-o", "out.png", "photo.bmp"});
        const RunResult r = Run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const bool color = args[0] == "--color";
        const int32_t brightness = args.size() > 9 ? 100 : 0;
        const auto mode = color ? sketch::BlendMode::kColorPencil : sketch::BlendMode::kPencil;
        const auto expected = ExpectedDrawing("photo.bmp", mode, brightness, 0, c.look);
        EXPECT_EQ(PixelsOfFile("out.png"), expected) << args[0] << " " << args[1];
        EXPECT_EQ(expected == ExpectedDrawing("photo.bmp", mode), c.plain)
            << args[0] << " " << args[1];
    }
    EXPECT_NE(ExpectedDrawing("photo.bmp", sketch::BlendMode::kColorPencil), pencil);
}

TEST_F(StrakelSketchCli, ManyPhotosInParallelIntoAFolder) {
    fs::create_directories(dir_ / "out");
    std::vector<std::string> args = {"-j", "3", "-d", "out"};
    for (int i = 0; i < 7; ++i) {
        WritePhoto("p" + std::to_string(i) + ".bmp", 12 + i, 9 + 2 * i, i);
        args.push_back("p" + std::to_string(i) + ".bmp");
    }
    const RunResult r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (int i = 0; i < 7; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(PixelsOfFile("out/p" + n + "-sketch.png"),
                  ExpectedDrawing("p" + n + ".bmp", sketch::BlendMode::kPencil));
    }
}

TEST_F(StrakelSketchCli, AFailureNamesThePhotoAndTheOthersGoOn) {
    WritePhoto("good.bmp", 10, 10);
    WritePhoto("big.bmp", 1025, 1025);
    WritePhoto("wide.bmp", 1025, 1024);
    { std::ofstream(dir_ / "broken.bmp") << "not a picture at all, just some text"; }
    const RunResult r =
        Run({"-d", ".", "good.bmp", "missing.bmp", "big.bmp", "broken.bmp", "wide.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    // Photos run in parallel: the lines may come in any order.
    std::multiset<std::string> lines;
    for (size_t at = 0, nl; (nl = r.err.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.insert(r.err.substr(at, nl - at));
    EXPECT_EQ(lines, (std::multiset<std::string>{
                         "strakel-sketch: missing.bmp: File not found.",
                         "strakel-sketch: big.bmp: File resulution not supported (use --any-size "
                         "to draw it anyway)",
                         "strakel-sketch: broken.bmp: Invalid file format.",
                     }));
    EXPECT_EQ(Files(), (std::set<std::string>{"good.bmp", "big.bmp", "wide.bmp", "broken.bmp",
                                              "good-sketch.png", "wide-sketch.png"}));

    const RunResult any = Run({"--any-size", "big.bmp"});
    EXPECT_EQ(any.exitCode, 0) << any.err;
    EXPECT_TRUE(fs::exists(dir_ / "big-sketch.png"));
}

TEST_F(StrakelSketchCli, APhotoIsJudgedByItsHeaderBeforeAnyPixelIsDecoded) {
    // 1.5 KB that claim 18900 x 18900: decoding would take over a gigabyte,
    // more than the program is given here.
    ASSERT_TRUE(
        fixtures::WriteFile((dir_ / "claims.bmp").string(), fixtures::ClaimedBmp24(18900, 18900)));
    ASSERT_TRUE(
        fixtures::WriteFile((dir_ / "wide.bmp").string(), fixtures::ClaimedBmp24(60000, 1700)));
    constexpr long kCapKiB = 400 * 1024;
    RunResult r = Run({"claims.bmp"}, MemoryCap(kCapKiB));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "strakel-sketch: claims.bmp: File resulution not supported (use --any-size to draw "
              "it anyway)\n");
    r = Run({"--any-size", "claims.bmp"}, MemoryCap(kCapKiB));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "strakel-sketch: claims.bmp: photo of 18900 x 18900 pixels exceeds the limit of 100 "
              "megapixels\n");
    r = Run({"--any-size", "wide.bmp"}, MemoryCap(kCapKiB));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "strakel-sketch: wide.bmp: photo of 60000 x 1700 pixels exceeds the limit of 100 "
              "megapixels\n");
    EXPECT_EQ(Files(), (std::set<std::string>{"claims.bmp", "wide.bmp"}));
}

TEST(SizeRefusal, TheWindowsRuleAndTheLimitOfAnySize) {
    const std::string tooLarge = "File resulution not supported (use --any-size to draw it anyway)";
    const struct {
        int32_t width, height;
        bool anySize;
        std::string refusal;
    } cases[] = {
        {1024, 1024, false, ""},
        {1024, 65535, false, ""},
        {65535, 1024, false, ""},
        {1025, 1025, false, tooLarge},
        {1025, 1025, true, ""},
        {10000, 10000, true, ""},  // exactly 100 megapixels
        {50000, 2000, true, ""},
        {10001, 10000, true, "photo of 10001 x 10000 pixels exceeds the limit of 100 megapixels"},
        {65535, 65535, true, "photo of 65535 x 65535 pixels exceeds the limit of 100 megapixels"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::SizeRefusal(c.width, c.height, c.anySize), c.refusal)
            << c.width << " x " << c.height << (c.anySize ? " --any-size" : "");
}

TEST_F(StrakelSketchCli, NeverOverwritesAnInputOrAnotherDrawing) {
    WritePhoto("photo.bmp", 10, 10);
    WritePhoto("photo-sketch.png.bmp", 10, 10, 3);
    fs::create_directories(dir_ / "sub");
    WritePhoto("sub/photo.bmp", 10, 10, 5);
    fs::create_symlink("photo.bmp", dir_ / "link.bmp");
    const std::string original = ReadFile(dir_ / "photo.bmp");

    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"-o", "photo.bmp", "photo.bmp"},
         "strakel-sketch: photo.bmp: output photo.bmp would replace an input or another drawing\n"},
        {{"-o", "link.bmp", "photo.bmp"},
         "strakel-sketch: photo.bmp: output link.bmp would replace an input or another drawing\n"},
        {{"-d", ".", "photo.bmp", "sub/photo.bmp"},
         "strakel-sketch: sub/photo.bmp: output ./photo-sketch.png would replace an input or "
         "another drawing\n"},
    };
    for (const Case& c : cases) {
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(ReadFile(dir_ / "photo.bmp"), original);
        fs::remove(dir_ / "photo-sketch.png");
    }
}

// What a run does with outputs that exist already or that another photo's
// output names too: each case starts from an empty folder with its own files.
TEST_F(StrakelSketchCli, ExistingAndClashingOutputsAreRefusedUnlessForced) {
    struct Content {
        std::string path;
        std::string text;       // the file's bytes, when given
        std::string drawingOf;  // or the photo it is the drawing of; neither: a photo
    };
    const std::string escName = "a\nb\x1b";
    const struct Case {
        const char* what;
        std::vector<std::string> photos;
        std::vector<std::pair<std::string, std::string>> files;  // made before: path, text
        std::vector<std::pair<std::string, std::string>> links;  // link, where it points
        std::vector<std::string> args;
        int exitCode;
        std::string err;
        std::vector<Content> after;  // regular files after the run (links are checked apart)
    } cases[] = {
        {"one output spelt two ways",
         {"c/x.bmp", "c/x.jpg"},
         {},
         {},
         {"-j", "2", "./c/x.bmp", "c/x.jpg"},
         1,
         "strakel-sketch: c/x.jpg: output c/x-sketch.png would replace an input or another "
         "drawing\n",
         {{"c/x.bmp", "", ""}, {"c/x.jpg", "", ""}, {"c/x-sketch.png", "", "c/x.bmp"}}},
        {"an existing output is refused and the batch goes on",
         {"a.bmp", "b.bmp"},
         {{"out/a-sketch.png", "old drawing"}},
         {},
         {"-d", "out", "a.bmp", "b.bmp"},
         1,
         "strakel-sketch: a.bmp: out/a-sketch.png exists; use --force to replace it\n",
         {{"a.bmp", "", ""},
          {"b.bmp", "", ""},
          {"out/a-sketch.png", "old drawing", ""},
          {"out/b-sketch.png", "", "b.bmp"}}},
        {"the same batch again: every drawing is refused",
         {"a.bmp", "b.bmp"},
         {{"a-sketch.png", "first run"}, {"b-sketch.png", "first run"}},
         {},
         {"a.bmp", "b.bmp"},
         1,
         "strakel-sketch: a.bmp: a-sketch.png exists; use --force to replace it\n"
         "strakel-sketch: b.bmp: b-sketch.png exists; use --force to replace it\n",
         {{"a.bmp", "", ""},
          {"b.bmp", "", ""},
          {"a-sketch.png", "first run", ""},
          {"b-sketch.png", "first run", ""}}},
        {"an unrelated file named with -o",
         {"photo.bmp"},
         {{"other.jpg", "someone's photo"}},
         {},
         {"-o", "other.jpg", "photo.bmp"},
         1,
         "strakel-sketch: photo.bmp: other.jpg exists; use --force to replace it\n",
         {{"photo.bmp", "", ""}, {"other.jpg", "someone's photo", ""}}},
        {"--force replaces existing outputs",
         {"a.bmp", "b.bmp"},
         {{"out/a-sketch.png", "old drawing"}},
         {},
         {"--force", "-d", "out", "a.bmp", "b.bmp"},
         0,
         "",
         {{"a.bmp", "", ""},
          {"b.bmp", "", ""},
          {"out/a-sketch.png", "", "a.bmp"},
          {"out/b-sketch.png", "", "b.bmp"}}},
        {"--force does not make a clash an output",
         {"c/x.bmp", "c/x.jpg"},
         {{"c/x-sketch.png", "old drawing"}},
         {},
         {"-f", "c/x.bmp", "./c/../c/x.jpg"},
         1,
         "strakel-sketch: ./c/../c/x.jpg: output ./c/../c/x-sketch.png would replace an input "
         "or another drawing\n",
         {{"c/x.bmp", "", ""}, {"c/x.jpg", "", ""}, {"c/x-sketch.png", "", "c/x.bmp"}}},
        {"a link without --force",
         {"photo.bmp"},
         {{"real/target.png", "old drawing"}},
         {{"link.png", "real/target.png"}},
         {"-o", "link.png", "photo.bmp"},
         1,
         "strakel-sketch: photo.bmp: link.png exists; use --force to replace it\n",
         {{"photo.bmp", "", ""}, {"real/target.png", "old drawing", ""}}},
        {"a link is written through with --force",
         {"photo.bmp"},
         {{"real/target.png", "old drawing"}},
         {{"link.png", "real/target.png"}},
         {"-f", "-o", "link.png", "photo.bmp"},
         0,
         "",
         {{"photo.bmp", "", ""}, {"real/target.png", "", "photo.bmp"}}},
        {"a dangling link is refused",
         {"photo.bmp"},
         {},
         {{"link.png", "missing.png"}},
         {"-f", "-o", "link.png", "photo.bmp"},
         1,
         "strakel-sketch: photo.bmp: output link.png is a link to a missing file\n",
         {{"photo.bmp", "", ""}}},
        {"two links to one file clash",
         {"a.bmp", "b.bmp"},
         {{"real/target.png", "old drawing"}},
         {{"a-sketch.png", "real/target.png"}, {"b-sketch.png", "real/target.png"}},
         {"-f", "a.bmp", "b.bmp"},
         1,
         "strakel-sketch: b.bmp: output b-sketch.png would replace an input or another "
         "drawing\n",
         {{"a.bmp", "", ""}, {"b.bmp", "", ""}, {"real/target.png", "", "a.bmp"}}},
        {"control characters in names are escaped",
         {escName + ".bmp"},
         {{escName + "-sketch.png", "old drawing"}},
         {},
         {escName + ".bmp", "missing\tphoto.bmp"},
         1,
         "strakel-sketch: a\\nb\\x1b.bmp: a\\nb\\x1b-sketch.png exists; use --force to replace "
         "it\n"
         "strakel-sketch: missing\\tphoto.bmp: File not found.\n",
         {{escName + ".bmp", "", ""}, {escName + "-sketch.png", "old drawing", ""}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (size_t i = 0; i < c.photos.size(); ++i) {
            fs::create_directories((dir_ / c.photos[i]).parent_path());
            WritePhoto(c.photos[i], 10 + int(i), 10, int(i) * 3);
        }
        for (const auto& [path, text] : c.files) {
            fs::create_directories((dir_ / path).parent_path());
            std::ofstream(dir_ / path) << text;
        }
        for (const auto& [link, to] : c.links) fs::create_symlink(to, dir_ / link);
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        std::set<std::string> names;
        for (const Content& want : c.after) {
            names.insert(want.path);
            if (!want.text.empty()) {
                EXPECT_EQ(ReadFile(dir_ / want.path), want.text) << c.what << ": " << want.path;
            } else if (!want.drawingOf.empty()) {
                EXPECT_EQ(PixelsOfFile(want.path),
                          ExpectedDrawing(want.drawingOf, sketch::BlendMode::kPencil))
                    << c.what << ": " << want.path;
            }
        }
        EXPECT_EQ(Files(), names) << c.what;
        // Links stay links, pointing where they did.
        for (const auto& [link, to] : c.links) {
            EXPECT_TRUE(fs::is_symlink(dir_ / link)) << c.what << ": " << link;
            EXPECT_EQ(fs::read_symlink(dir_ / link), to) << c.what << ": " << link;
        }
    }
}

TEST(PrintableName, EscapesControlCharactersAndBackslashesOnly) {
    const struct {
        std::string name, printed;
    } cases[] = {
        {"plain name.jpg", "plain name.jpg"},
        {"line\nbreak", "line\\nbreak"},
        {"tab\tcr\r", "tab\\tcr\\r"},
        {std::string("nul\0esc\x1b", 8) + "del\x7f", "nul\\x00esc\\x1bdel\\x7f"},
        {"back\\slash", "back\\\\slash"},
        {"caf\xc3\xa9 \xff.jpg", "caf\xc3\xa9 \xff.jpg"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::PrintableName(c.name), c.printed) << c.printed;
}

TEST_F(StrakelSketchCli, AnUnwritableOutputLeavesNothingBehind) {
    WritePhoto("photo.bmp", 10, 10);
    const RunResult r = Run({"-o", "no/such/folder/out.png", "photo.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "strakel-sketch: photo.bmp: cannot write no/such/folder/out.png: No such file or "
              "directory\n");
    EXPECT_EQ(Files(), (std::set<std::string>{"photo.bmp"}));
}

TEST_F(StrakelSketchCli, AnOutputFolderIsMadeWhenMissing) {
    WritePhoto("photo.bmp", 10, 10);
    const RunResult r = Run({"-d", "new/folder", "photo.bmp"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "new/folder/photo-sketch.png"));
}

// The shell words that preload the fsync shim in one of its modes.
std::string WithFsync(const std::string& mode) {
    // Under AddressSanitizer the preloaded shim comes before the runtime.
    return "STRAKEL_TEST_FSYNC=" + mode + " LD_PRELOAD=" + Quote(STRAKEL_FSYNC_SHIM) +
           " ASAN_OPTIONS=verify_asan_link_order=0 ";
}

TEST_F(StrakelSketchCli, AWriteFailureNamesTheOutputAndKeepsTheFileBefore) {
    WritePhoto("photo.bmp", 10, 10);
    { std::ofstream(dir_ / "out.png") << "old drawing"; }
    const RunResult r = Run({"-f", "-o", "out.png", "photo.bmp"}, WithFsync("fail"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "strakel-sketch: photo.bmp: cannot write out.png: Input/output error\n");
    EXPECT_EQ(ReadFile(dir_ / "out.png"), "old drawing");
    EXPECT_EQ(Files(), (std::set<std::string>{"photo.bmp", "out.png"}));
}

TEST_F(StrakelSketchCli, AFifoAmongThePhotosIsRefusedAtOnce) {
    WritePhoto("good.bmp", 10, 10);
    ASSERT_EQ(::mkfifo((dir_ / "pipe.bmp").c_str(), 0600), 0);
    // Bounded: a run that waited for a writer would be stopped with status 124.
    const RunResult r = Run({"-d", ".", "pipe.bmp", "good.bmp"}, "timeout 60 ");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "strakel-sketch: pipe.bmp: Not able to open file.\n");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "good-sketch.png"));
}

TEST_F(StrakelSketchCli, OutputNamesUpToTheFileSystemsLimitAreWritten) {
    WritePhoto("photo.bmp", 10, 10);
    const std::string longest = std::string(251, 'n') + ".png";
    const RunResult r = Run({"-o", longest, "photo.bmp"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(PixelsOfFile(longest), ExpectedDrawing("photo.bmp", sketch::BlendMode::kPencil));
}

// A 65535 x 64 JPEG 2000 of four components needs more working memory for even
// its narrowest band of rows than three pictures of its size: it is refused
// for memory, and the batch goes on.
TEST_F(StrakelSketchCli, AJpeg2000BeyondTheMemoryBudgetIsRefused) {
    WritePhoto("small.bmp", 10, 10);
    {
        const fixtures::Bytes jp2 = fixtures::EmptyJpeg2000(65535, 64, 4, true);
        std::ofstream out(dir_ / "wide.jp2", std::ios::binary);
        out.write(reinterpret_cast<const char*>(jp2.data()), std::streamsize(jp2.size()));
    }
    const RunResult r = Run({"--any-size", "-d", ".", "wide.jp2", "small.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "strakel-sketch: wide.jp2: Not enough memory available.\n");
    EXPECT_EQ(Files(), (std::set<std::string>{"small.bmp", "wide.jp2", "small-sketch.png"}));
}

#ifndef STRAKEL_UNDER_SANITIZER
// Under a memory limit that leaves room for the picture but not for the
// drawing's copy of it, the photo fails and the batch goes on. The photo is a
// turned one: its rows go upright as they are decoded, so the load itself fits.
TEST_F(StrakelSketchCli, APhotoThatDoesNotFitInMemoryFailsAloneInTheBatch) {
    WritePhoto("small.bmp", 10, 10);
    {
        const fixtures::Bytes jpeg = fixtures::JpegFile(8000, 8000, 3, false, 6, 30);
        std::ofstream out(dir_ / "turned.jpg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    }
    // 192 MB for the picture, as much again for the copy.
    const RunResult r =
        Run({"--any-size", "-j", "1", "-d", ".", "turned.jpg", "small.bmp"}, "ulimit -v 320000; ");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "strakel-sketch: turned.jpg: P_CopyBitmap: Not enough memory available.\n");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "small-sketch.png"));
    EXPECT_EQ(Files(), (std::set<std::string>{"small.bmp", "turned.jpg", "small-sketch.png"}));
}
#endif

// Ctrl-C or SIGTERM while two drawings are being written: the program removes
// both temporary files, leaves the earlier drawing as it was and ends by the
// signal, so that its caller sees the usual status.
TEST_F(StrakelSketchCli, AnInterruptedRunLeavesNoTemporaryFiles) {
    WritePhoto("a.bmp", 10, 10);
    WritePhoto("b.bmp", 12, 10, 2);
    for (const int signal : {SIGINT, SIGTERM}) {
        { std::ofstream(dir_ / "a-sketch.png") << "old drawing"; }
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            // The test runner may have been started with these ignored.
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            ::setenv("STRAKEL_TEST_FSYNC", "hold", 1);
            ::setenv("LD_PRELOAD", STRAKEL_FSYNC_SHIM, 1);
            ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
            if (::chdir(dir_.c_str()) == 0)
                ::execl(STRAKEL_SKETCH_EXE, STRAKEL_SKETCH_EXE, "-f", "-j", "2", "-d", ".", "a.bmp",
                        "b.bmp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        // Both workers report from inside fsync: their outputs exist only as
        // temporary files now.
        std::string held;
        pollfd p{out[0], POLLIN, 0};
        while (held.size() < 10 && ::poll(&p, 1, 60000) == 1) {
            char buffer[16];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            held.append(buffer, size_t(n));
        }
        ::close(out[0]);
        if (held != "held\nheld\n") {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            FAIL() << "the workers did not reach fsync: " << held;
        }
        size_t temporaries = 0;
        for (const std::string& name : Files())
            temporaries += name.rfind(pix::kTemporaryPrefix, 0) == 0;
        EXPECT_EQ(temporaries, 2u);

        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(Files(), (std::set<std::string>{"a.bmp", "b.bmp", "a-sketch.png"})) << signal;
        EXPECT_EQ(ReadFile(dir_ / "a-sketch.png"), "old drawing");
    }
}

}  // namespace

namespace {

// Every way GNU programs take an option and its value draws the same photo to
// the same place.
TEST_F(StrakelSketchCli, OptionsTakeTheirValuesInEveryGnuForm) {
    WritePhoto("photo.bmp", 12, 10);
    WritePhoto("-x.bmp", 12, 10, 4);
    fs::create_directories(dir_ / "out");
    const auto pencil = ExpectedDrawing("photo.bmp", sketch::BlendMode::kPencil);
    const struct {
        std::vector<std::string> args;
        std::string output, photo;
    } cases[] = {
        {{"-o", "a.png", "photo.bmp"}, "a.png", "photo.bmp"},
        {{"-oa.png", "photo.bmp"}, "a.png", "photo.bmp"},
        {{"--output=a.png", "photo.bmp"}, "a.png", "photo.bmp"},
        {{"--output", "a.png", "photo.bmp"}, "a.png", "photo.bmp"},
        {{"photo.bmp", "-j2", "-dout"}, "out/photo-sketch.png", "photo.bmp"},
        {{"-j", "2", "--dir", "out", "photo.bmp"}, "out/photo-sketch.png", "photo.bmp"},
        {{"--jobs=2", "--dir=out", "-q", "photo.bmp"}, "out/photo-sketch.png", "photo.bmp"},
        {{"--jobs", "1", "--quiet", "-d", "out", "photo.bmp"}, "out/photo-sketch.png", "photo.bmp"},
        {{"-o", "b.png", "--", "-x.bmp"}, "b.png", "-x.bmp"},
        {{"--", "-x.bmp"}, "-x-sketch.png", "-x.bmp"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        ASSERT_EQ(r.exitCode, 0) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.err, "") << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(PixelsOfFile(c.output), ExpectedDrawing(c.photo, sketch::BlendMode::kPencil))
            << c.args[0];
        fs::remove(dir_ / c.output);
    }
    EXPECT_NE(ExpectedDrawing("-x.bmp", sketch::BlendMode::kPencil), pencil);
    // Without "--" the photo's name is taken for options.
    const RunResult r = Run({"-x.bmp"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "strakel-sketch: unknown option -x\nTry 'strakel-sketch --help'.\n");
}

TEST_F(StrakelSketchCli, BadGnuFormsExitWith2AndNameTheOption) {
    WritePhoto("a.bmp", 8, 8);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--color=yes", "a.bmp"}, "option --color takes no value"},
        {{"--jobs", "a.bmp"}, "option --jobs needs a number from 1 to 1024"},
        {{"--jobs=0", "a.bmp"}, "option --jobs needs a number from 1 to 1024"},
        {{"--jo=0", "a.bmp"}, "option --jobs needs a number from 1 to 1024"},
        {{"a.bmp", "--output"}, "option --output needs a file name"},
        {{"a.bmp", "--out"}, "option --output needs a file name"},
        {{"--output=", "a.bmp"}, "option --output needs a file name"},
        {{"--q", "a.bmp"}, "option '--q' is ambiguous; possibilities: '--quality' '--quiet'"},
        {{"--s=1", "a.bmp"}, "option '--s' is ambiguous; possibilities: '--shading' '--sharpen'"},
        {{"--qui", "a.bmp"}, ""},
        {{"--dir", "x", "-d", "y", "a.bmp"}, "option -d given twice"},
        {{"--list"}, "option --list needs a file name"},
        {{"--nothing=1", "a.bmp"}, "unknown option --nothing"},
        {{"-qz", "a.bmp"}, "unknown option -z"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        if (c.message.empty()) {  // a prefix of one option only is that option
            EXPECT_EQ(r.exitCode, 0) << c.args[0] << ": " << r.err;
            continue;
        }
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.err, "strakel-sketch: " + c.message + "\nTry 'strakel-sketch --help'.\n");
    }
}

TEST_F(StrakelSketchCli, AListNamesThePhotosFromAFileOrStandardInput) {
    WritePhoto("a.bmp", 10, 10);
    WritePhoto("b b.bmp", 11, 10, 2);
    WritePhoto("c.bmp", 12, 10, 3);
    { std::ofstream(dir_ / "photos.txt") << "a.bmp\n\nb b.bmp\n"; }
    RunResult r = Run({"-d", "out", "--list", "photos.txt", "c.bmp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Files(),
              (std::set<std::string>{"a.bmp", "b b.bmp", "c.bmp", "photos.txt", "out/a-sketch.png",
                                     "out/b b-sketch.png", "out/c-sketch.png"}));
    EXPECT_EQ(PixelsOfFile("out/b b-sketch.png"),
              ExpectedDrawing("b b.bmp", sketch::BlendMode::kPencil));
    fs::remove_all(dir_ / "out");

    // Standard input, last line without its newline.
    { std::ofstream(dir_ / "stdin.txt") << "c.bmp\na.bmp"; }
    r = Run({"-q", "--list=-", "-d", "out"}, "", (dir_ / "stdin.txt").string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(dir_ / "out/a-sketch.png"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / "out/c-sketch.png"));
    fs::remove_all(dir_ / "out");

    // Lines ending in CR LF (or CR CR LF, after two conversions); with
    // --null, names ending in NUL bytes, which may hold line ends and CRs of
    // their own.
    WritePhoto("d\r\ne.bmp", 9, 10, 5);
    { std::ofstream(dir_ / "crlf.txt") << "a.bmp\r\n\r\nb b.bmp\r\r\n"; }
    { std::ofstream(dir_ / "nul.txt") << std::string("d\r\ne.bmp\0\0c.bmp", 16); }
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::set<std::string> drawn;
    } lists[] = {
        {{"--list", "crlf.txt"}, "/dev/null", {"out/a-sketch.png", "out/b b-sketch.png"}},
        {{"-0", "--list=-"}, "nul.txt", {"out/d\r\ne-sketch.png", "out/c-sketch.png"}},
        {{"--list", "nul.txt", "--null"},
         "/dev/null",
         {"out/d\r\ne-sketch.png", "out/c-sketch.png"}},
    };
    for (const auto& c : lists) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-d", "out"});
        r = Run(args, "", c.input == "/dev/null" ? c.input : (dir_ / c.input).string());
        ASSERT_EQ(r.exitCode, 0) << c.args[0] << ": " << r.err;
        std::set<std::string> drawn;
        for (const std::string& f : Files())
            if (f.rfind("out/", 0) == 0) drawn.insert(f);
        EXPECT_EQ(drawn, c.drawn) << c.args[0];
        fs::remove_all(dir_ / "out");
    }
    EXPECT_EQ(PixelsOfFile("d\r\ne.bmp").size(), 9u * 10u * 3u);

    { std::ofstream(dir_ / "long.txt") << "a.bmp\n" << std::string(4097, 'n') << "\n"; }
    { std::ofstream(dir_ / "empty.txt") << "\n\n"; }
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"--list", "missing.txt"},
         1,
         "strakel-sketch: cannot read list missing.txt: No such file or directory\n"},
        {{"--list", "long.txt"},
         2,
         "strakel-sketch: list long.txt: line 2 is longer than 4096 bytes\n"
         "Try 'strakel-sketch --help'.\n"},
        {{"--list", "empty.txt"},
         2,
         "strakel-sketch: no photo given\nTry 'strakel-sketch --help'.\n"},
        {{"--list", "photos.txt", "-o", "x.png"},
         2,
         "strakel-sketch: option -o takes exactly one photo\nTry 'strakel-sketch --help'.\n"},
    };
    for (const auto& c : cases) {
        r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1];
        EXPECT_EQ(r.err, c.err);
    }
}

// The photo "-" is standard input and the output "-" standard output, whose
// bytes are those of the same drawing written to a file.
TEST_F(StrakelSketchCli, StandardInputAndOutputStandForFiles) {
    WritePhoto("photo.bmp", 14, 11);
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::vector<std::string> fileArgs;  // the same drawing into a file
    } cases[] = {
        {{"-o", "-", "photo.bmp"}, "/dev/null", {"-o", "f.png", "photo.bmp"}},
        {{"-o", "-", "-"}, "photo.bmp", {"-o", "f.png", "photo.bmp"}},
        {{"--format", "jpg", "--output=-", "--color", "photo.bmp"},
         "/dev/null",
         {"-o", "f.jpg", "--color", "photo.bmp"}},
        {{"-o", "x.bmp", "-"}, "photo.bmp", {"-o", "f.bmp", "photo.bmp"}},
    };
    for (const auto& c : cases) {
        const RunResult r =
            Run(c.args, "", c.input == "/dev/null" ? c.input : (dir_ / c.input).string());
        ASSERT_EQ(r.exitCode, 0) << c.args[1] << ": " << r.err;
        EXPECT_EQ(r.err, "");
        const RunResult f = Run(c.fileArgs);
        ASSERT_EQ(f.exitCode, 0) << f.err;
        const std::string file = ReadFile(dir_ / c.fileArgs[1]);
        EXPECT_FALSE(file.empty());
        if (c.args[1] == "x.bmp") {
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(ReadFile(dir_ / "x.bmp"), file);
            fs::remove(dir_ / "x.bmp");
        } else {
            EXPECT_EQ(r.out, file) << c.args[1];
        }
        fs::remove(dir_ / c.fileArgs[1]);
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"photo.bmp"}));

    { std::ofstream(dir_ / "list.txt") << "photo.bmp\n-\n"; }
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } bad[] = {
        {{"-o", "-", "photo.bmp", "photo.bmp"}, 2, "option -o takes exactly one photo"},
        {{"-o", "-", "--list", "list.txt"}, 2, "option -o takes exactly one photo"},
        {{"-d", "out", "-"}, 2, "photo - (standard input) needs -o"},
        {{"-o", "x.png", "-", "-"}, 2, "option -o takes exactly one photo"},
        {{"-", "photo.bmp", "-"}, 2, "photo - (standard input) given twice"},
        {{"-o", "x.png", "--list", "-", "-"}, 2, "photo - and --list - both read standard input"},
    };
    for (const auto& c : bad) {
        const RunResult r = Run(c.args, "", (dir_ / "photo.bmp").string());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.err;
        EXPECT_EQ(r.err, "strakel-sketch: " + c.err + "\nTry 'strakel-sketch --help'.\n");
        EXPECT_EQ(r.out, "");
    }
    // What is no photo fails as a file would, and writes nothing.
    const RunResult r = Run({"-o", "-", "-"}, "", (dir_ / "list.txt").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("strakel-sketch: -: ", 0), 0u) << r.err;
    EXPECT_EQ(Files(), (std::set<std::string>{"photo.bmp", "list.txt"}));
}

// The option names of --help: the words before the description on the lines
// that start with an option.
std::set<std::string> HelpOptions(const std::string& help) {
    std::set<std::string> names;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || first == 0 || line[first] != '-') continue;
        std::string head = line.substr(first, line.find("  ", first) - first);
        for (size_t at = 0; at < head.size();) {
            const size_t comma = head.find(", ", at);
            const std::string word = head.substr(at, comma - at);
            names.insert(word.substr(0, word.find_first_of("= ")));
            at = comma == std::string::npos ? head.size() : comma + 2;
        }
    }
    return names;
}

// The option names of the manual page's OPTIONS section, in the same form.
std::set<std::string> ManualOptions(const std::string& page) {
    std::string help;
    std::istringstream in(page);
    bool options = false, tag = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0) options = line == ".SH OPTIONS";
        if (!options) continue;
        if (tag) {
            for (const char* escape : {"\\fB", "\\fR", "\\fI", "\\fP"})
                for (size_t at; (at = line.find(escape)) != std::string::npos;) line.erase(at, 3);
            for (size_t at; (at = line.find("\\-")) != std::string::npos;) line.erase(at, 1);
            help += "  " + line + "\n";
        }
        tag = line == ".TP";
    }
    return HelpOptions(help);
}

TEST_F(StrakelSketchCli, TheManualPageAndTheCompletionKnowTheOptionsOfHelp) {
    const RunResult r = Run({"--help"});
    const std::set<std::string> help = HelpOptions(r.out);
    EXPECT_EQ(help,
              (std::set<std::string>{
                  "--color",  "--threshold", "--tone", "--shading", "--brightness", "--sharpen",
                  "-o",       "--output",    "-d",     "--dir",     "-f",           "--force",
                  "--format", "--quality",   "-j",     "--jobs",    "--any-size",   "--list",
                  "-0",       "--null",      "-q",     "--quiet",   "-h",           "--help",
                  "-V",       "--version"}));
    EXPECT_EQ(ManualOptions(ReadFile(STRAKEL_SKETCH_MANPAGE)), help);

    // What bash offers after a dash, with the completion loaded.
    const std::string script = std::string(". ") + Quote(STRAKEL_SKETCH_COMPLETION) +
                               "; COMP_WORDS=(strakel-sketch -); COMP_CWORD=1; _strakel_sketch; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\"";
    const std::string outFile = (dir_ / "offered").string();
    ASSERT_EQ(std::system(("bash -c " + Quote(script) + " >" + Quote(outFile)).c_str()), 0);
    const RunResult offered{0, ReadFile(outFile), ""};
    std::set<std::string> completed;
    std::istringstream in(offered.out);
    for (std::string word; std::getline(in, word);) completed.insert(word);
    completed.erase("--");
    EXPECT_EQ(completed, help) << offered.err;

    // After -o: the files of every extension written and folders; the
    // user's extglob stays off. After --format: every extension.
    for (const char* name : {"a.j2c", "b.TIF", "c.gif", "d.jfif", "e.bw"})
        std::ofstream(dir_ / name) << "x";
    fs::create_directories(dir_ / "f");
    const std::string offer =
        "cd " + Quote(dir_.string()) + " && shopt -u extglob && . " +
        Quote(STRAKEL_SKETCH_COMPLETION) +
        "; COMP_WORDS=(strakel-sketch -o ''); COMP_CWORD=2; _strakel_sketch; "
        "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort; shopt -q extglob && echo extglob; "
        "COMP_WORDS=(strakel-sketch --format ''); _strakel_sketch; "
        "printf '%s ' \"${COMPREPLY[@]}\"";
    ASSERT_EQ(std::system(("bash -c " + Quote(offer) + " >" + Quote(outFile)).c_str()), 0);
    std::string outputs = ReadFile(outFile);
    EXPECT_EQ(outputs,
              "a.j2c\nb.TIF\nd.jfif\ne.bw\nf\n"
              "bmp dib jpg jpeg jpe jfif png tif tiff sgi rgb bw jp2 j2k j2c ");
}

}  // namespace

namespace {

// What the program writes to a terminal that is its standard input, output
// and error, until it ends.
std::string RunOnATerminal(const fs::path& dir, const std::vector<std::string>& args) {
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) return "forkpty failed";
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(STRAKEL_SKETCH_EXE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (::chdir(dir.c_str()) == 0) ::execv(STRAKEL_SKETCH_EXE, argv.data());
        ::_exit(127);
    }
    std::string seen;
    pollfd p{terminal, POLLIN, 0};
    while (::poll(&p, 1, 60000) == 1) {
        char buffer[256];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO once the program has ended
        seen.append(buffer, size_t(n));
    }
    ::close(terminal);
    ::waitpid(pid, nullptr, 0);
    return seen;
}

// The bar is as wide as the terminal allows, asked at every redraw.
TEST(ProgressBar, FitsTheTerminalsWidthAndFollowsAResize) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* stream = ::open_memstream(&text, &size);
    ASSERT_NE(stream, nullptr);
    size_t columns = 20;
    {
        cli::ProgressBar bar(stream, 4, [&] { return columns; });
        bar.advance();
        columns = 12;  // narrower: the old line is cleared
        bar.advance();
        columns = 5;  // no room for a bar: the count alone
        bar.advance();
        columns = 0;  // unknown: 80 columns
        bar.advance();
        bar.finish();
    }
    std::fclose(stream);
    EXPECT_EQ(std::string(text, size),
              "\r[-------------] 0/4"
              "\r[###----------] 1/4"
              "\r\033[K[##---] 2/4"
              "\r\033[K3/4"
              "\r[" +
                  std::string(30, '#') +
                  "] 4/4"
                  "\r\033[K");
    std::free(text);
}

TEST_F(StrakelSketchCli, TheProgressBarShowsOnATerminalUnlessQuiet) {
    WritePhoto("photo.bmp", 10, 10);
    EXPECT_EQ(RunOnATerminal(dir_, {"photo.bmp"}),
              "\r[" + std::string(30, '-') + "] 0/1\r[" + std::string(30, '#') + "] 1/1\r\033[K");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "photo-sketch.png"));
    EXPECT_EQ(RunOnATerminal(dir_, {"-q", "-f", "photo.bmp"}), "");
    EXPECT_EQ(RunOnATerminal(dir_, {"--quiet", "-o", "x.png", "missing.bmp"}),
              "strakel-sketch: missing.bmp: File not found.\r\n");
}

}  // namespace
