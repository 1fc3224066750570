#include "render/render.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

// A supply of 100 units holding level.
pmtool::Supply supply(const char* index, const char* description, long type, long level, bool receptacle) {
    pmtool::Supply out;
    out.index = index;
    out.description = description;
    out.type = type;
    out.max_capacity = 100;
    out.level = level;
    out.receptacle = receptacle;
    out.reading = pmtool::read_level(out.level, out.max_capacity, receptacle);
    return out;
}

pmtool::PrinterReport sample_report() {
    pmtool::PrinterReport report;
    report.host = "127.0.0.1:161";
    report.sys_name = "office";
    report.device_index = 1;
    report.device_status = 3;
    report.error_state = std::string("\x20\x00", 2);
    report.error_conditions = {"lowToner"};
    report.page_count = 121104;
    pmtool::Supply waste = supply("1.2", "Waste Box", 4, 30, true);
    waste.supply_class = 4;
    report.supplies = {supply("1.1", "Black Toner", 3, 8, false), waste};
    pmtool::Alert alert;
    alert.index = "1.1";
    alert.severity = 4;
    alert.code = 1104;
    alert.description = "Toner low";
    report.alerts = {alert};
    report.console_lines = {"Ready\x01"};
    return report;
}

TEST(PercentBar, FillsInProportion) {
    EXPECT_EQ(pmtool::percent_bar(0, 10), "[----------]");
    EXPECT_EQ(pmtool::percent_bar(50, 10), "[#####-----]");
    EXPECT_EQ(pmtool::percent_bar(100, 10), "[##########]");
    EXPECT_EQ(pmtool::percent_bar(4, 10), "[----------]");
    EXPECT_EQ(pmtool::percent_bar(5, 10), "[#---------]");
    EXPECT_EQ(pmtool::percent_bar(140, 10), "[##########]");
    EXPECT_EQ(pmtool::percent_bar(-20, 10), "[----------]");
    EXPECT_EQ(pmtool::percent_bar(8).size(), static_cast<std::size_t>(pmtool::kBarWidth + 2));
}

TEST(TextReport, ShowsValuesAbsenceAndFullness) {
    const std::string text = pmtool::render_report_text(sample_report());
    EXPECT_NE(text.find("Printer 127.0.0.1:161\n"), std::string::npos);
    EXPECT_NE(text.find("  Name            office\n"), std::string::npos);
    EXPECT_NE(text.find("  Description     (absent)\n"), std::string::npos);
    EXPECT_NE(text.find("  Device          (hrDeviceIndex 1)\n"), std::string::npos);
    EXPECT_NE(text.find("  Device status   warning (3)\n"), std::string::npos);
    EXPECT_NE(text.find("  Errors          lowToner\n"), std::string::npos);
    EXPECT_NE(text.find("  Page count      121104\n"), std::string::npos);
    EXPECT_NE(text.find("Black Toner  toner       [##------------------]   8%\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Waste Box    wasteToner  [##############------]  70% full\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("warning   markerTonerAlmostEmpty"), std::string::npos);
    EXPECT_NE(text.find("  | Ready?\n"), std::string::npos);
    EXPECT_NE(text.find("Input trays\n  (absent)\n"), std::string::npos);
}

TEST(TextReport, EmptyErrorStateIsNoneAndMissingIsAbsent) {
    pmtool::PrinterReport report;
    report.error_state = std::string();
    EXPECT_NE(pmtool::render_report_text(report).find("Errors          none\n"), std::string::npos);
    report.error_state.reset();
    EXPECT_NE(pmtool::render_report_text(report).find("Errors          (absent)\n"), std::string::npos);
}

TEST(JsonReport, StableShape) {
    const Json doc = Json::parse(pmtool::render_report_json(sample_report()));
    std::vector<std::string> keys;
    for (const auto& item : doc.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"host", "system", "printer", "supplies", "input_trays", "alerts",
                                              "console"}));
    EXPECT_EQ(doc["system"], Json::parse(R"({"name": "office", "description": null})"));
    EXPECT_EQ(doc["printer"]["device_status"], Json::parse(R"({"code": 3, "name": "warning"})"));
    EXPECT_EQ(doc["printer"]["detected_error_state"], Json::parse(R"({"hex": "2000", "conditions": ["lowToner"]})"));
    EXPECT_TRUE(doc["printer"]["printer_status"].is_null());
    EXPECT_EQ(doc["printer"]["page_count"], 121104);
    EXPECT_EQ(doc["supplies"][1], Json::parse(R"({
        "index": "1.2", "description": "Waste Box",
        "class": {"code": 4, "name": "receptacleThatIsFilled"},
        "type": {"code": 4, "name": "wasteToner"}, "unit": null,
        "max_capacity": 100, "level": 30, "receptacle": true,
        "state": "percent", "percent": 70, "text": "70% full"})"));
    EXPECT_EQ(doc["alerts"][0]["code"], Json::parse(R"({"code": 1104, "name": "markerTonerAlmostEmpty"})"));
    EXPECT_TRUE(doc["alerts"][0]["group"].is_null());
    EXPECT_EQ(doc["input_trays"], Json::array());
    EXPECT_EQ(doc["console"], Json::parse(R"(["Ready?"])"));
}

TEST(JsonReport, UnknownCodesKeepTheNumberAndBadBytesDoNotAbort) {
    pmtool::PrinterReport report;
    report.device_status = 77;
    report.sys_descr = "Drucker \xff\xfe";  // not UTF-8
    const Json doc = Json::parse(pmtool::render_report_json(report));
    EXPECT_EQ(doc["printer"]["device_status"], Json::parse(R"({"code": 77, "name": null})"));
    EXPECT_TRUE(doc["system"]["description"].is_string());
    EXPECT_TRUE(doc["printer"]["detected_error_state"].is_null());
}

}  // namespace
