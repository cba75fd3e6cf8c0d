// SPDX-License-Identifier: GPL-3.0-or-later
// Loads on several threads at once, as the command-line tool's workers run
// them: each thread starts from the engine's defaults, keeps the option records
// and the status callback it installs, hears the progress of its own loads
// only, and gets its own file's pixels.
#include <gtest/gtest.h>

#include <barrier>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "imaging/engine/file_info.h"
#include "imaging/engine/file_load.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/status_callback.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

using namespace fixtures;

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 6;
// The first worker's callback stops every load it hears at this percentage.
constexpr int32_t kStopAt = 50;

// The engine settings a thread can change, read or installed as one.
struct Settings {
    PixJBIG2Options jbig2{};
    PixPDFOptions pdf{};
    int32_t viewportWidth = 0;
    int32_t viewportHeight = 0;
    PixLoadOptions load{};

    static Settings Current() {
        Settings s;
        P_GetJBIG2Options(&s.jbig2, sizeof s.jbig2);
        P_GetPDFOptions(&s.pdf, sizeof s.pdf);
        P_GetRasterizeViewport(&s.viewportWidth, &s.viewportHeight);
        P_GetDefaultLoadFileOption(&s.load, sizeof s.load);
        return s;
    }
    static Settings Defaults() {
        Settings s;
        s.jbig2 = pix::DefaultJBIG2Options();
        s.pdf = pix::DefaultPDFOptions();
        s.viewportWidth = pix::kDefaultRasterizeViewportWidth;
        s.viewportHeight = pix::kDefaultRasterizeViewportHeight;
        s.load = PixLoadOptions{sizeof(PixLoadOptions), 0, 0, 0, 0, 0, 0, 0, {0, 0, 0}};
        return s;
    }
    // Values of its own for thread `n`; the page stays the first.
    static Settings For(int n) {
        Settings s = Defaults();
        s.jbig2.ParamK = 1000 + n;
        s.jbig2.Template2AT[7] = static_cast<int8_t>(n);
        s.pdf.XResolution = 100 + n;
        s.viewportWidth = 10 + n;
        s.viewportHeight = 20 + n;
        s.load.Passes = n + 1;
        s.load.Flags = kLoadControlSettingBits;
        return s;
    }
    void Install() const {
        P_SetJBIG2Options(&jbig2, sizeof jbig2);
        P_SetPDFOptions(&pdf, sizeof pdf);
        P_SetRasterizeViewport(viewportWidth, viewportHeight);
        P_SetDefaultLoadFileOption(&load, sizeof load);
    }
    bool operator==(const Settings& o) const {
        return std::memcmp(&jbig2, &o.jbig2, sizeof jbig2) == 0 &&
               std::memcmp(&pdf, &o.pdf, sizeof pdf) == 0 && viewportWidth == o.viewportWidth &&
               viewportHeight == o.viewportHeight && std::memcmp(&load, &o.load, sizeof load) == 0;
    }
};

// A status callback's record of what it heard, and on which thread.
struct Heard {
    std::thread::id owner = std::this_thread::get_id();
    std::vector<int32_t> percents;
    bool elsewhere = false;  // called on a thread other than the owner
    int32_t stopAt = 1000;

    static int32_t Callback(int32_t percent, void* self) {
        auto* h = static_cast<Heard*>(self);
        if (std::this_thread::get_id() != h->owner) h->elsewhere = true;
        h->percents.push_back(percent);
        return percent >= h->stopAt ? 0 : 1;
    }
};

// A load callback that counts the bands of its own load.
struct Bands {
    std::thread::id owner = std::this_thread::get_id();
    int count = 0;
    bool elsewhere = false;

    static int32_t Callback(PixBitmap*, int32_t, int32_t, uint32_t, void* self) {
        auto* b = static_cast<Bands*>(self);
        if (std::this_thread::get_id() != b->owner) b->elsewhere = true;
        ++b->count;
        return pix::kSuccess;
    }
};

// A load's result as compared: geometry and every pixel byte.
struct Picture {
    int32_t width = 0, height = 0, bits = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const Picture&) const = default;
};

Picture Take(PixBitmap* b) {
    Picture p{b->Width, b->Height, b->BitsPerPixel, {}};
    if (b->Data) p.bytes.assign(b->Data, b->Data + b->Size);
    P_FreeBitmap(b);
    return p;
}

// What one worker saw.
struct Outcome {
    bool startedFromDefaults = false;
    bool keptItsSettings = true;
    bool heardElsewhere = false;
    std::vector<int32_t> statuses;            // every load, in order
    std::vector<Picture> pictures;            // every load, in order
    std::vector<std::vector<int32_t>> heard;  // the status callback, per load
    std::vector<int> bands;                   // the load callback, per P_LoadFile
};

TEST(LoadThreads, EachThreadSeesOnlyItsOwnOptionsAndCallbacks) {
    const std::string files[kThreads] = {
        ColorBmp(61, 300, "threads.bmp"),
        WriteTemp("threads.png", PngFile(64, 260, 2, 8, false)),
        WriteTemp("threads.tif", TiffFile(50, 280, "rgb")),
        WriteTemp("threads.jpg", JpegFile(48, 240, 3, false)),
    };

    // The reference: each file loaded alone, with the progress it reports.
    Picture expected[kThreads];
    std::vector<int32_t> expectedPercents[kThreads];
    for (int n = 0; n < kThreads; ++n) {
        Heard alone;
        P_SetStatusCallBack(Heard::Callback, nullptr, &alone, nullptr);
        PixBitmap b;
        ASSERT_EQ(pix::LoadBitmapFile(files[n], &b, 0), pix::kSuccess) << files[n];
        expected[n] = Take(&b);
        expectedPercents[n] = alone.percents;
        ASSERT_GT(alone.percents.size(), 2u) << files[n] << " loads in several bands";
    }
    std::vector<int32_t> stopped;  // what the stopping callback hears of the first file
    for (int32_t p : expectedPercents[0]) {
        stopped.push_back(p);
        if (p >= kStopAt) break;
    }
    ASSERT_LT(stopped.size(), expectedPercents[0].size());

    // This thread's own settings and callback, which no worker may disturb.
    const Settings mine = Settings::For(99);
    mine.Install();
    Heard mainHeard;
    P_SetStatusCallBack(Heard::Callback, nullptr, &mainHeard, nullptr);

    Outcome outcomes[kThreads];
    std::barrier sync(kThreads);
    auto work = [&](int n) {
        Outcome& out = outcomes[n];
        out.startedFromDefaults = Settings::Current() == Settings::Defaults();
        sync.arrive_and_wait();
        const Settings own = Settings::For(n);
        own.Install();
        Heard heard;
        if (n == 0) heard.stopAt = kStopAt;
        P_SetStatusCallBack(Heard::Callback, nullptr, &heard, nullptr);
        // Every worker has installed its own before any loads.
        sync.arrive_and_wait();
        auto record = [&](int32_t status, PixBitmap* b) {
            out.statuses.push_back(status);
            out.pictures.push_back(Take(b));
            out.heard.push_back(heard.percents);
            heard.percents.clear();
        };
        for (int round = 0; round < kRounds; ++round) {
            PixBitmap b;
            record(pix::LoadBitmapFile(files[n], &b, 0), &b);

            // The image control's road: information first, then bands.
            PixLoadOptions options;
            P_GetDefaultLoadFileOption(&options, sizeof options);
            PixFileInfo info{};
            info.StructSize = sizeof info;
            int32_t status = P_FileInfo(files[n].c_str(), &info, sizeof info, 1, &options);
            Bands bands;
            P_InitBitmap(&b, sizeof b, 0, 0, 0);
            if (status == pix::kSuccess)
                status = P_LoadFile(files[n].c_str(), &b, sizeof b, 0, kOrderBGR, kLoadOnePage,
                                    Bands::Callback, &bands, &options, &info);
            record(status, &b);
            out.bands.push_back(bands.count);
            out.heardElsewhere = out.heardElsewhere || bands.elsewhere;

            out.keptItsSettings = out.keptItsSettings && Settings::Current() == own;
        }
        out.heardElsewhere = out.heardElsewhere || heard.elsewhere;
        P_SetStatusCallBack(nullptr, nullptr, nullptr, nullptr);
    };
    std::vector<std::thread> workers;
    for (int n = 0; n < kThreads; ++n) workers.emplace_back(work, n);
    for (std::thread& t : workers) t.join();

    for (int n = 0; n < kThreads; ++n) {
        SCOPED_TRACE("worker " + std::to_string(n) + ": " + files[n]);
        const Outcome& out = outcomes[n];
        EXPECT_TRUE(out.startedFromDefaults);
        EXPECT_TRUE(out.keptItsSettings);
        EXPECT_FALSE(out.heardElsewhere);
        ASSERT_EQ(out.statuses.size(), size_t{2 * kRounds});
        for (size_t i = 0; i < out.statuses.size(); ++i) {
            SCOPED_TRACE("load " + std::to_string(i));
            if (n == 0) {
                EXPECT_EQ(out.statuses[i], pix::kUserAbort);
                EXPECT_EQ(out.heard[i], stopped);
            } else {
                EXPECT_EQ(out.statuses[i], pix::kSuccess);
                EXPECT_EQ(out.heard[i], expectedPercents[n]);
                EXPECT_TRUE(out.pictures[i] == expected[n]) << "the pixels of its own file";
            }
        }
        // One load callback per band, and the status callback after each.
        for (size_t i = 0; i < out.bands.size(); ++i)
            EXPECT_EQ(size_t(out.bands[i]), out.heard[2 * i + 1].size());
    }

    EXPECT_TRUE(Settings::Current() == mine);
    EXPECT_TRUE(mainHeard.percents.empty()) << "no worker's load reached this thread's callback";
    PixStatusCallback old = nullptr;
    void* oldUser = nullptr;
    P_SetStatusCallBack(nullptr, &old, nullptr, &oldUser);
    EXPECT_EQ(old, &Heard::Callback);
    EXPECT_EQ(oldUser, &mainHeard);
    Settings::Defaults().Install();
}

}  // namespace
