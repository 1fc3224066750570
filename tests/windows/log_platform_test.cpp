// The line prefix's time and identifiers come from Windows itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "log/log_line.h"

namespace {

// Minutes since midnight, so that a stamp and GetLocalTime compare across
// a minute's turn.
constexpr int kMinutesPerHour = 60;
constexpr int kMinutesPerDay = 24 * kMinutesPerHour;
int minute_of_day(int hour, int minute) { return hour * kMinutesPerHour + minute; }

TEST(LogPlatformWindows, StampCarriesTheSystemsLocalTimeAndIdentifiers) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    const PmcLogStamp stamp = pmc_log_stamp_now();
    SYSTEMTIME after;
    GetLocalTime(&after);

    EXPECT_EQ(stamp.process_id, static_cast<long>(GetCurrentProcessId()));
    EXPECT_EQ(stamp.thread_id, static_cast<long>(GetCurrentThreadId()));
    EXPECT_GE(stamp.year, before.wYear);
    EXPECT_LE(stamp.year, after.wYear);
    const int at = minute_of_day(stamp.hour, stamp.minute);
    // Across midnight the stamp's day differs from one of the two readings.
    const int earliest = minute_of_day(before.wHour, before.wMinute) -
                         (before.wDay != stamp.day ? kMinutesPerDay : 0);
    const int latest = minute_of_day(after.wHour, after.wMinute) +
                       (after.wDay != stamp.day ? kMinutesPerDay : 0);
    EXPECT_GE(at, earliest);
    EXPECT_LE(at, latest);
    EXPECT_GE(stamp.millisecond, 0);
    EXPECT_LT(stamp.millisecond, 1000);
}

TEST(LogPlatformWindows, EachThreadStampsItsOwnIdentifier) {
    long other_thread = 0;
    long other_system_id = 0;
    std::thread worker([&] {
        other_thread = pmc_log_stamp_now().thread_id;
        other_system_id = static_cast<long>(GetCurrentThreadId());
    });
    worker.join();
    EXPECT_EQ(other_thread, other_system_id);
    EXPECT_NE(other_thread, pmc_log_stamp_now().thread_id);
}

}  // namespace
