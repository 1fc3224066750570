// The report built from a scripted MIB: which rows and objects it picks,
// and what it does when the agent lacks them or a request fails.
#include "printer/printer_status.h"

#include "printer/printer_mib.h"
#include "printer/volatile_read.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using pmtool::Binding;
using pmtool::Bindings;
using pmtool::Oid;

Binding integer(const Oid& oid, long value) {
    Binding b;
    b.oid = oid;
    b.type = PMS_TYPE_INTEGER;
    b.number = value;
    return b;
}

Binding text(const Oid& oid, const std::string& value) {
    Binding b;
    b.oid = oid;
    b.type = PMS_TYPE_OCTET_STRING;
    b.octets = value;
    return b;
}

Binding object_id(const Oid& oid, const Oid& value) {
    Binding b;
    b.oid = oid;
    b.type = PMS_TYPE_OID;
    b.oid_value = value;
    return b;
}

// An agent made of a sorted table; it can be told to fail the n-th request.
// A batching one makes the report read the way it reads over GetBulk.
class ScriptedMib : public pmtool::MibReader {
public:
    explicit ScriptedMib(bool batching = false) : batching_(batching) {}
    bool batches() const override { return batching_; }
    void add(const Binding& binding) { objects_[binding.oid] = binding; }
    void fail_at(int request, pmc_long status) {
        fail_at_ = request;
        fail_status_ = status;
    }
    int requests() const { return requests_; }

    pmc_long get(const Oid& oid, Binding* out) override {
        if (++requests_ == fail_at_) return fail_status_;
        const auto it = objects_.find(oid);
        if (it != objects_.end()) {
            *out = it->second;
        } else {
            out->oid = oid;
            out->type = PMS_TYPE_NO_SUCH_OBJECT;
        }
        return PMC_S_OK;
    }

    pmc_long walk(const Oid& root, Bindings* out) override {
        if (++requests_ == fail_at_) return fail_status_;
        out->clear();
        for (const auto& entry : objects_)
            if (entry.first.is_below(root)) out->push_back(entry.second);
        return PMC_S_OK;
    }

private:
    std::map<Oid, Binding> objects_;
    bool batching_;
    int requests_ = 0;
    int fail_at_ = -1;
    pmc_long fail_status_ = PMC_S_OK;
};

Oid column(const Oid& root, const std::string& index) { return *Oid::parse(root.text() + "." + index); }

TEST(PrinterReport, EmptyAgentGivesAnEmptyReportWithoutFailure) {
    ScriptedMib mib;
    pmtool::PrinterReport report;
    EXPECT_EQ(pmtool::read_printer_report(mib, &report), PMC_S_OK);
    EXPECT_FALSE(report.sys_name);
    EXPECT_FALSE(report.device_index);
    EXPECT_FALSE(report.error_state);
    EXPECT_FALSE(report.page_count);
    EXPECT_TRUE(report.supplies.empty());
    EXPECT_TRUE(report.alerts.empty());
}

TEST(PrinterReport, PicksThePrinterDeviceByType) {
    namespace mib = pmtool::mib;
    for (const bool batching : {false, true}) {
        ScriptedMib agent(batching);
        agent.add(object_id(column(mib::kHrDeviceType, "1"), *Oid::parse("1.3.6.1.2.1.25.3.1.1")));
        agent.add(object_id(column(mib::kHrDeviceType, "5"), mib::kHrDevicePrinter));
        agent.add(integer(column(mib::kHrDeviceStatus, "1"), 2));
        agent.add(integer(column(mib::kHrDeviceStatus, "5"), 5));
        agent.add(text(column(mib::kHrDeviceDescr, "5"), "The printer"));
        agent.add(integer(column(mib::kHrPrinterStatus, "5"), 4));
        agent.add(text(column(mib::kHrPrinterDetectedErrorState, "5"), std::string("\x04\x00", 2)));
        Binding count;
        count.oid = column(mib::kPrtMarkerLifeCount, "5.1");
        count.type = PMS_TYPE_COUNTER32;
        count.number = 4000000000LL;
        agent.add(count);
        agent.add(text(column(mib::kPrtGeneralPrinterName, "5"), "Front desk"));

        pmtool::PrinterReport report;
        ASSERT_EQ(pmtool::read_printer_report(agent, &report), PMC_S_OK);
        EXPECT_EQ(report.device_index, 5);
        EXPECT_EQ(report.device_status, 5);
        EXPECT_EQ(report.printer_status, 4);
        EXPECT_EQ(report.device_descr, std::string("The printer"));
        EXPECT_EQ(report.error_conditions, std::vector<std::string>{"jammed"});
        EXPECT_EQ(report.page_count, 4000000000ULL);  // Counter32 above INT32_MAX
        EXPECT_EQ(report.printer_name, std::string("Front desk"));
    }
}

// Without types the printer table names the device, and without that the
// first row of hrDeviceTable; read plainly or batched alike.
TEST(PrinterReport, WithoutTypesThePrinterTableNamesTheDevice) {
    namespace mib = pmtool::mib;
    for (const bool batching : {false, true}) {
        for (const bool printer_table : {true, false}) {
            ScriptedMib agent(batching);
            agent.add(integer(column(mib::kHrDeviceStatus, "1"), 2));
            agent.add(integer(column(mib::kHrDeviceStatus, "3"), 3));
            agent.add(text(column(mib::kHrDeviceDescr, "1"), "first"));
            if (printer_table) agent.add(text(column(mib::kHrPrinterDetectedErrorState, "3"), "\x80"));
            pmtool::PrinterReport report;
            ASSERT_EQ(pmtool::read_printer_report(agent, &report), PMC_S_OK);
            EXPECT_EQ(report.device_index, printer_table ? 3 : 1);
            EXPECT_EQ(report.device_status, printer_table ? 3 : 2);
            EXPECT_EQ(report.device_descr, printer_table ? std::nullopt : std::optional<std::string>("first"));
            EXPECT_EQ(report.error_conditions,
                      printer_table ? std::vector<std::string>{"lowPaper"} : std::vector<std::string>{});
        }
    }
}

TEST(PrinterReport, SuppliesInIndexOrderWithReceptaclesByClassOrType) {
    namespace mib = pmtool::mib;
    ScriptedMib agent;
    for (int row : {1, 2, 10}) {
        const std::string index = "1." + std::to_string(row);
        agent.add(text(column(mib::kPrtSuppliesDescription, index), "supply " + std::to_string(row)));
        agent.add(integer(column(mib::kPrtSuppliesMaxCapacity, index), 200));
        agent.add(integer(column(mib::kPrtSuppliesLevel, index), 50));
    }
    agent.add(integer(column(mib::kPrtSuppliesClass, "1.1"), mib::kClassReceptacleThatIsFilled));
    agent.add(integer(column(mib::kPrtSuppliesType, "1.2"), 4));  // wasteToner, no class
    agent.add(integer(column(mib::kPrtSuppliesClass, "1.10"), mib::kClassSupplyThatIsConsumed));
    agent.add(integer(column(mib::kPrtSuppliesType, "1.10"), 4));  // the class wins

    pmtool::PrinterReport report;
    ASSERT_EQ(pmtool::read_printer_report(agent, &report), PMC_S_OK);
    ASSERT_EQ(report.supplies.size(), 3u);
    EXPECT_EQ(report.supplies[0].index, "1.1");
    EXPECT_EQ(report.supplies[1].index, "1.2");
    EXPECT_EQ(report.supplies[2].index, "1.10");
    EXPECT_TRUE(report.supplies[0].receptacle);
    EXPECT_EQ(report.supplies[0].reading.percent, 75);
    EXPECT_TRUE(report.supplies[1].receptacle);
    EXPECT_FALSE(report.supplies[2].receptacle);
    EXPECT_EQ(report.supplies[2].reading.percent, 25);
}

TEST(PrinterReport, AlertsConsoleAndTrays) {
    namespace mib = pmtool::mib;
    ScriptedMib agent;
    agent.add(integer(column(mib::kPrtAlertSeverityLevel, "1.7"), 3));
    agent.add(integer(column(mib::kPrtAlertCode, "1.7"), 8));
    agent.add(text(column(mib::kPrtAlertDescription, "1.7"), "Paper jam"));
    agent.add(text(column(mib::kPrtConsoleDisplayBufferText, "1.1"), "Jam in tray 2"));
    agent.add(text(column(mib::kPrtConsoleDisplayBufferText, "1.2"), "Open door B"));
    agent.add(text(column(mib::kPrtInputName, "1.1"), "Tray 1"));
    agent.add(integer(column(mib::kPrtInputMaxCapacity, "1.1"), 500));
    agent.add(integer(column(mib::kPrtInputCurrentLevel, "1.1"), -3));

    pmtool::PrinterReport report;
    ASSERT_EQ(pmtool::read_printer_report(agent, &report), PMC_S_OK);
    ASSERT_EQ(report.alerts.size(), 1u);
    EXPECT_EQ(report.alerts[0].index, "1.7");
    EXPECT_EQ(report.alerts[0].code, 8);
    EXPECT_FALSE(report.alerts[0].group);
    EXPECT_EQ(report.console_lines, (std::vector<std::string>{"Jam in tray 2", "Open door B"}));
    ASSERT_EQ(report.input_trays.size(), 1u);
    EXPECT_EQ(report.input_trays[0].reading.kind, pmtool::LevelKind::kSomeRemaining);
}

TEST(PrinterReport, WrongTypesCountAsAbsent) {
    namespace mib = pmtool::mib;
    ScriptedMib agent;
    agent.add(integer(mib::kSysName, 5));  // a number where text belongs
    agent.add(text(column(mib::kPrtSuppliesLevel, "1.1"), "50"));
    pmtool::PrinterReport report;
    ASSERT_EQ(pmtool::read_printer_report(agent, &report), PMC_S_OK);
    EXPECT_FALSE(report.sys_name);
    ASSERT_EQ(report.supplies.size(), 1u);
    EXPECT_FALSE(report.supplies[0].level);
    EXPECT_EQ(report.supplies[0].reading.kind, pmtool::LevelKind::kAbsent);
}

// After a failure (a time-out) no further request goes out.
TEST(PrinterReport, FirstFailureStopsTheReport) {
    for (const bool batching : {false, true}) {
        for (int failing : {1, 3, 8, 23}) {
            ScriptedMib agent(batching);
            agent.fail_at(failing, PMC_E_TIMEOUT);
            pmtool::PrinterReport report;
            EXPECT_EQ(pmtool::read_printer_report(agent, &report), PMC_E_TIMEOUT);
            EXPECT_EQ(agent.requests(), failing);
        }
    }
}

// Between whole reads only what changes is read; a restart (sysUpTime gone
// back) or other supply rows make the read whole at once.
TEST(PrinterReport, VolatileReadsKeepStaticObjectsWhileTheyHold) {
    namespace mib = pmtool::mib;
    using pmtool::ReadScope;
    const auto up_time = [](long ticks) {
        Binding b = integer(mib::kSysUpTime, ticks);
        b.type = PMS_TYPE_TIME_TICKS;
        return b;
    };
    const auto name = [](const char* value) { return text(column(mib::kPrtSuppliesDescription, "1.1"), value); };
    ScriptedMib agent(true);
    for (const Binding& b : {up_time(5000), object_id(column(mib::kHrDeviceType, "1"), mib::kHrDevicePrinter),
                             name("Black"), integer(column(mib::kPrtSuppliesLevel, "1.1"), 50)})
        agent.add(b);
    pmtool::StaticObjects memory;
    pmtool::PrinterReport report;
    ReadScope done = ReadScope::kVolatile;
    ASSERT_EQ(read_printer_report_split(agent, ReadScope::kVolatile, &memory, &report, &done), PMC_S_OK);
    EXPECT_EQ(done, ReadScope::kWhole);  // nothing remembered yet
    const struct {
        std::vector<Binding> changes;
        ReadScope read;
        const char* shown;
    } cases[] = {
        {{name("Cyan"), integer(column(mib::kPrtSuppliesLevel, "1.1"), 40)}, ReadScope::kVolatile, "Black"},
        {{up_time(4000)}, ReadScope::kWhole, "Cyan"},
        {{name("Magenta"), integer(column(mib::kPrtSuppliesLevel, "1.2"), 7)}, ReadScope::kWhole, "Magenta"},
        {{name("Yellow"), up_time(4500)}, ReadScope::kVolatile, "Magenta"},
    };
    for (const auto& c : cases) {
        for (const Binding& b : c.changes) agent.add(b);
        ASSERT_EQ(read_printer_report_split(agent, ReadScope::kVolatile, &memory, &report, &done), PMC_S_OK);
        EXPECT_EQ(done, c.read) << c.shown;
        ASSERT_FALSE(report.supplies.empty());
        EXPECT_EQ(report.supplies[0].description, c.shown);
        EXPECT_EQ(report.supplies[0].level, 40);
    }
}

}  // namespace
