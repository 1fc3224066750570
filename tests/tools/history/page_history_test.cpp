// Page counts that never go negative across wraps and resets, and the rate
// a supply's days-until-empty come from.
#ifdef PMSNMP_SERVE
#include "history/history_reports.h"
#include "history/page_counter.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kDay = 86400;

TEST(PageCounter, WrapsAndResets) {
    struct Case {
        std::uint64_t previous, current, pages;
    };
    const Case cases[] = {
        {1000, 1500, 500}, {1500, 300, 0},       // reset: nothing invented
        {4294967290ULL, 10, 16},                 // Counter32 wrap
        {4294967290ULL, 2000000, 0},             // too far for a wrap: a reset
        {5000000000ULL, 10, 0},                  // not a Counter32: a reset
    };
    for (const Case& c : cases) EXPECT_EQ(pmtool::counter_delta(c.previous, c.current), c.pages) << c.previous;
}

TEST(PageHistory, PeriodsAndForecast) {
    pmtool::HistoryStore store;
    std::string reason;
    ASSERT_TRUE(store.open(":memory:", &reason)) << reason;
    const std::int64_t start = 1799971200;  // a midnight (UTC)
    const std::uint64_t reset[] = {1000, 1500, 300, 400};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(store.record_pages("a", "total", start + i * kDay, reset[i]));
    ASSERT_TRUE(store.record_pages("b", "total", start, 4294967290ULL));
    ASSERT_TRUE(store.record_pages("b", "total", start + kDay, 10));
    const auto rows = pmtool::page_report(store, start - kDay, start + 10 * kDay, pmtool::PeriodKind::kWhole);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].pages, 600u);
    EXPECT_EQ(rows[1].pages, 16u);
    // By day: the reset day counts nothing, the others what they printed.
    const auto days = pmtool::page_report(store, start, start + 4 * kDay, pmtool::PeriodKind::kDay);
    std::vector<std::uint64_t> daily;
    for (const auto& row : days)
        if (row.printer == "a") daily.push_back(row.pages);
    EXPECT_EQ(daily, (std::vector<std::uint64_t>{0, 500, 0, 100}));

    // 20 % left before a new cartridge, then 100 -> 50 % over ten days.
    std::vector<pmtool::SupplySample> samples;
    samples.push_back(pmtool::SupplySample{"a", "1.1", start - kDay, "Black", 3, false, 20});
    for (int day = 0; day <= 10; ++day)
        samples.push_back(pmtool::SupplySample{"a", "1.1", start + day * kDay, "Black", 3, false, 100 - 5 * day});
    const pmtool::SupplyForecast forecast = pmtool::forecast_supply(samples, 20);
    ASSERT_TRUE(forecast.days_left);
    EXPECT_NEAR(*forecast.days_left, 10.0, 0.01);
}

}  // namespace

#endif
