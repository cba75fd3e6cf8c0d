// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/status_callback.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/engine/status_codes.h"

namespace {

struct Log {
    std::vector<int32_t> percents;
    int32_t answer = 1;
};

int32_t Record(int32_t percent, void* user) {
    auto* log = static_cast<Log*>(user);
    log->percents.push_back(percent);
    return log->answer;
}

int32_t Other(int32_t, void*) {
    return 1;
}

TEST(StatusCallBack, InstalledCallbackHearsProgressAndCanStop) {
    Log log;
    PixStatusCallback old = Other;
    void* oldUser = &log;
    ASSERT_EQ(P_SetStatusCallBack(Record, &old, &log, &oldUser), pix::kSuccess);
    EXPECT_EQ(old, nullptr) << "none was installed";
    EXPECT_EQ(oldUser, nullptr);

    EXPECT_TRUE(pix::ReportProgress(10));
    log.answer = 0;
    EXPECT_FALSE(pix::ReportProgress(55));
    EXPECT_EQ(log.percents, (std::vector<int32_t>{10, 55}));

    // Replacing hands back the installed one; removing silences it.
    int other = 0;
    ASSERT_EQ(P_SetStatusCallBack(Other, &old, &other, &oldUser), pix::kSuccess);
    EXPECT_EQ(old, &Record);
    EXPECT_EQ(oldUser, &log);
    ASSERT_EQ(P_SetStatusCallBack(nullptr, &old, nullptr, &oldUser), pix::kSuccess);
    EXPECT_EQ(old, &Other);
    EXPECT_EQ(oldUser, &other);
    EXPECT_TRUE(pix::ReportProgress(90)) << "without a callback work goes on";
    EXPECT_EQ(log.percents.size(), 2u);

    // The old-value pointers are optional.
    EXPECT_EQ(P_SetStatusCallBack(Record, nullptr, &log, nullptr), pix::kSuccess);
    EXPECT_FALSE(pix::ReportProgress(100));
    EXPECT_EQ(P_SetStatusCallBack(nullptr, nullptr, nullptr, nullptr), pix::kSuccess);
}

}  // namespace
