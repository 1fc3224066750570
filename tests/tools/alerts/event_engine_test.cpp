// The event engine stepped through a printer's polls: each event once, at
// its change; receptacles fill up; excluded trays and flapping stay quiet.
#ifdef PMSNMP_SERVE
#include "alerts/event_engine.h"

#include "printer/printer_decode.h"

#include <gtest/gtest.h>

namespace {

using pmtool::Event;
using pmtool::EventKind;

pmtool::Supply supply(const std::string& index, const std::string& name, long type, long supply_class, long level) {
    pmtool::Supply s;
    s.index = index;
    s.description = name;
    s.type = type;
    s.supply_class = supply_class;
    s.max_capacity = 100;
    s.level = level;
    s.receptacle = pmtool::supply_is_receptacle(supply_class, type);
    s.reading = pmtool::read_level(s.level, s.max_capacity, s.receptacle);
    return s;
}

pmtool::InputTray tray(const std::string& index, const std::string& name, long level) {
    pmtool::InputTray t;
    t.index = index;
    t.name = name;
    t.max_capacity = 100;
    t.current_level = level;
    t.reading = pmtool::read_level(level, 100, false);
    return t;
}

std::vector<std::string> kinds(const std::vector<Event>& events) {
    std::vector<std::string> names;
    for (const Event& event : events) names.push_back(pmtool::event_kind_name(event.kind) + ":" + event.subject);
    return names;
}

TEST(EventEngine, EachChangeTellsOnce) {
    struct Step {
        long toner;         // percent left
        long waste_full;    // percent full
        long tray2;         // sheets
        bool alert_row;     // a new alert-table row
        bool low_toner_bit;
        std::vector<std::string> expected;
    };
    const std::vector<Step> steps = {
        {30, 50, 50, false, false, {}},
        {12, 96, 50, true, true, {"nearly_full:Waste", "alert_raised:Jam", "error_set:lowToner"}},
        {8, 98, 0, true, true, {"supply_low:Black", "tray_empty:Tray 2"}},
        {8, 98, 0, true, false, {"error_cleared:lowToner"}},
        {100, 98, 50, true, false, {"supply_replaced:Black"}},
    };
    pmtool::EventEngine engine{pmtool::AlertConfig()};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        pmtool::PrinterReport report;
        report.supplies = {supply("1.1", "Black", 3, 3, steps[i].toner),
                           supply("1.2", "Waste", 4, 4, 100 - steps[i].waste_full)};
        report.input_trays = {tray("1.1", "Bypass Tray", 0), tray("1.2", "Tray 2", steps[i].tray2)};
        // The bypass tray's own alert row is as excluded as the tray.
        report.alerts.push_back(pmtool::Alert{"1.1", 3, 8, 1, 808, std::string("Bypass empty")});
        if (steps[i].alert_row) report.alerts.push_back(pmtool::Alert{"1.2", 3, 13, 1, 8, std::string("Jam")});
        if (steps[i].low_toner_bit) report.error_conditions = {"lowToner"};
        EXPECT_EQ(kinds(engine.observe("p", static_cast<std::int64_t>(i), report)), steps[i].expected) << "step " << i;
    }

    // A restart with the saved state tells nothing again.
    pmtool::EventEngine restarted{pmtool::AlertConfig()};
    restarted.restore_state("p", engine.state_json("p"));
    pmtool::PrinterReport same;
    same.supplies = {supply("1.1", "Black", 3, 3, 100), supply("1.2", "Waste", 4, 4, 2)};
    EXPECT_TRUE(restarted.observe("p", 9, same).empty());
}

TEST(EventEngine, ThresholdWobbleAndFlappingStayQuiet) {
    pmtool::AlertConfig config;
    config.down_after = 3;
    pmtool::EventEngine engine(config);
    std::vector<std::string> told;
    auto poll = [&](long level) {
        pmtool::PrinterReport report;
        report.supplies = {supply("1.1", "Black", 3, 3, level)};
        for (const std::string& name : kinds(engine.observe("p", 0, report))) told.push_back(name);
    };
    for (long level : {11, 10, 11, 12, 10, 9, 13, 10}) poll(level);  // within the hysteresis
    EXPECT_EQ(told, std::vector<std::string>{"supply_low:Black"});

    told.clear();
    for (int i = 0; i < 10; ++i) {
        if (i % 2) poll(10);
        else for (const std::string& name : kinds(engine.observe_failure("p", i, "time-out"))) told.push_back(name);
    }
    EXPECT_TRUE(told.empty());
    for (int i = 0; i < 5; ++i)
        for (const std::string& name : kinds(engine.observe_failure("p", i, "time-out"))) told.push_back(name);
    poll(10);
    EXPECT_EQ(told, (std::vector<std::string>{"printer_unreachable:", "printer_reachable:"}));
}

}  // namespace

#endif
