// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's load-related option records as one snapshot: what a thread
// starts with, and a scope that installs a snapshot and puts the previous
// records back on leaving, also when an exception passes.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include "imaging/engine/format_options.h"

namespace {

using pix::LoadOptionSnapshot;

// The records as the engine's getters report them on the calling thread.
LoadOptionSnapshot Seen() {
    LoadOptionSnapshot s;
    P_GetPDFOptions(&s.pdf, sizeof s.pdf);
    P_GetRasterizeViewMode(&s.viewMode);
    P_GetRasterizeViewport(&s.viewportWidth, &s.viewportHeight);
    P_GetWMFResolution(&s.wmfX, &s.wmfY);
    P_GetRTFOptions(&s.rtf, sizeof s.rtf);
    P_GetPLTOptions(&s.plt, sizeof s.plt);
    P_GetPTKOptions(&s.ptk, sizeof s.ptk);
    P_GetJBIG2Options(&s.jbig2, sizeof s.jbig2);
    P_GetAutoCADColorScheme(&s.autoCadScheme);
    P_GetDJVUOptions(&s.djvu, sizeof s.djvu);
    return s;
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Names the first record that differs, so a failure says which one.
std::string Difference(const LoadOptionSnapshot& a, const LoadOptionSnapshot& b) {
    if (!SameBytes(a.pdf, b.pdf)) return "pdf";
    if (a.viewMode != b.viewMode) return "viewMode";
    if (a.viewportWidth != b.viewportWidth || a.viewportHeight != b.viewportHeight)
        return "viewport";
    if (a.wmfX != b.wmfX || a.wmfY != b.wmfY) return "wmf";
    if (!SameBytes(a.rtf, b.rtf)) return "rtf";
    if (!SameBytes(a.plt, b.plt)) return "plt";
    if (!SameBytes(a.ptk, b.ptk)) return "ptk";
    if (!SameBytes(a.jbig2, b.jbig2)) return "jbig2";
    if (a.autoCadScheme != b.autoCadScheme) return "autoCadScheme";
    if (!SameBytes(a.djvu, b.djvu)) return "djvu";
    return "";
}

// Every record differs from the defaults and from any other `seed`.
LoadOptionSnapshot Marked(int32_t seed) {
    LoadOptionSnapshot s;
    s.pdf.XResolution = 300 + seed;
    s.viewMode = 2 + seed;
    s.viewportWidth = 1000 + seed;
    s.viewportHeight = 2000 + seed;
    s.wmfX = 72 + seed;
    s.wmfY = 144 + seed;
    s.rtf.LeftMargin = 0.5 + seed;
    s.plt.PenWidth[7] = 3 + seed;
    s.ptk.Resolution = 150 + seed;
    s.jbig2.ParamN = 512 + uint32_t(seed);
    s.autoCadScheme = 1 + seed;
    s.djvu.Resolution = 600 + seed;
    return s;
}

void Install(const LoadOptionSnapshot& s) {
    P_SetPDFOptions(&s.pdf, sizeof s.pdf);
    P_SetRasterizeViewMode(s.viewMode);
    P_SetRasterizeViewport(s.viewportWidth, s.viewportHeight);
    P_SetWMFResolution(s.wmfX, s.wmfY);
    P_SetRTFOptions(&s.rtf, sizeof s.rtf);
    P_SetPLTOptions(&s.plt, sizeof s.plt);
    P_SetPTKOptions(&s.ptk, sizeof s.ptk);
    P_SetJBIG2Options(&s.jbig2, sizeof s.jbig2);
    P_SetAutoCADColorScheme(s.autoCadScheme);
    P_SetDJVUOptions(&s.djvu, sizeof s.djvu);
}

// Runs a test on a thread of its own, whose records start from the defaults.
template <typename Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

}  // namespace

TEST(LoadOptionSnapshot, AThreadStartsFromTheDefaults) {
    OnFreshThread([] {
        const LoadOptionSnapshot defaults = pix::DefaultLoadOptionSnapshot();
        EXPECT_EQ(Difference(Seen(), defaults), "");
        EXPECT_EQ(Difference(pix::CurrentLoadOptionSnapshot(), defaults), "");
        EXPECT_EQ(defaults.pdf.XResolution, 96);
        EXPECT_EQ(defaults.viewportWidth, 640);
        EXPECT_EQ(uint32_t{defaults.jbig2.ParamC}, 8192u);  // a copy: the record is packed
    });
}

TEST(LoadOptionSnapshot, CurrentReadsWhatTheSettersLeft) {
    OnFreshThread([] {
        Install(Marked(4));
        EXPECT_EQ(Difference(pix::CurrentLoadOptionSnapshot(), Marked(4)), "");
        pix::InstallLoadOptionSnapshot(Marked(5));
        EXPECT_EQ(Difference(Seen(), Marked(5)), "");
    });
}

TEST(LoadOptionScope, InstallsForItsLifetimeAndRestoresOnLeaving) {
    OnFreshThread([] {
        Install(Marked(1));
        {
            const pix::LoadOptionScope outer(Marked(2));
            EXPECT_EQ(Difference(Seen(), Marked(2)), "");
            {
                const pix::LoadOptionScope inner(pix::DefaultLoadOptionSnapshot());
                EXPECT_EQ(Difference(Seen(), pix::DefaultLoadOptionSnapshot()), "");
                // Changes made inside a scope go when it ends.
                P_SetRasterizeViewMode(77);
            }
            EXPECT_EQ(Difference(Seen(), Marked(2)), "");
        }
        EXPECT_EQ(Difference(Seen(), Marked(1)), "");
    });
}

TEST(LoadOptionScope, RestoresWhenAnExceptionPasses) {
    OnFreshThread([] {
        Install(Marked(1));
        try {
            const pix::LoadOptionScope scope(Marked(3));
            EXPECT_EQ(Difference(Seen(), Marked(3)), "");
            throw std::runtime_error("decoder gave up");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(Difference(Seen(), Marked(1)), "");
    });
}

TEST(LoadOptionScope, OtherThreadsKeepTheirOwnRecords) {
    OnFreshThread([] {
        const pix::LoadOptionScope scope(Marked(6));
        std::string otherThread = "not run";
        std::thread([&] {
            otherThread = Difference(Seen(), pix::DefaultLoadOptionSnapshot());
        }).join();
        EXPECT_EQ(otherThread, "");
        EXPECT_EQ(Difference(Seen(), Marked(6)), "");
    });
}
