// The one-line printer summary.
#include "render/summary_line.h"

#include <gtest/gtest.h>

namespace pmtool {
namespace {

Supply supply(const char* description, int percent, bool receptacle = false) {
    Supply out;
    out.description = description;
    out.receptacle = receptacle;
    out.reading.kind = LevelKind::kPercent;
    out.reading.percent = percent;
    return out;
}

TEST(SummaryLine, NamesTheLowestConsumableAndEveryField) {
    HostOutcome outcome;
    outcome.answered = true;
    PrinterReport& report = outcome.report;
    report.host = "127.0.0.2:161";
    report.device_descr = "Laser 5";
    report.device_status = 3;   // warning
    report.printer_status = 3;  // idle
    report.error_conditions = {"lowToner", "doorOpen"};
    report.page_count = 4242;
    // A nearly full waste box is no low supply.
    report.supplies = {supply("Black Toner", 40), supply("Waste", 2, true), supply("Cyan Toner", 7)};
    EXPECT_EQ(summary_line(outcome),
              "127.0.0.2:161  Laser 5  device=warning printer=idle  errors=lowToner,doorOpen  "
              "lowest=7% (Cyan Toner)  pages=4242");
    EXPECT_EQ(summary_json(outcome)["lowest_supply"]["percent"], 7);

    report.supplies.clear();
    report.page_count.reset();
    report.error_conditions.clear();
    EXPECT_EQ(summary_line(outcome),
              "127.0.0.2:161  Laser 5  device=warning printer=idle  errors=-  lowest=-  pages=-");
    outcome.answered = false;
    outcome.reason = "no answer";
    EXPECT_EQ(summary_line(outcome), "127.0.0.2:161  failed: no answer");
    EXPECT_EQ(summary_json(outcome)["error"], "no answer");
}

}  // namespace
}  // namespace pmtool
