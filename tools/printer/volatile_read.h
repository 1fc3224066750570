// Polling a printer cheaply: its report read whole now and then, and in
// between only the objects that change from poll to poll (statuses, error
// bits, levels, counters, alerts, the console), the rest answered from what
// the last whole read kept.
#ifndef PMSNMP_TOOLS_VOLATILE_READ_H
#define PMSNMP_TOOLS_VOLATILE_READ_H

#include "printer/printer_status.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace pmtool {

// The answers of a whole read that change only when someone edits or refits
// the printer (names, descriptions, capacities, the device table), and what
// tells whether they still hold: the printer's uptime and the rows of its
// supply and tray levels.
struct StaticObjects {
    std::map<Oid, Binding> objects;  // by identifier
    std::map<Oid, Bindings> columns;  // by column
    std::map<Oid, Bindings> level_rows;  // by level column
    std::optional<std::int64_t> up_time;  // sysUpTime at the last read

    bool empty() const { return objects.empty() && columns.empty(); }
};

// A reader for read_printer_report in front of the agent. Reading whole, it
// asks the agent everything and keeps the static answers in *memory; reading
// the volatile part, it answers the static objects from *memory. Either way
// it adds sysUpTime to the first request for objects.
class SplitReader : public MibReader {
public:
    SplitReader(MibReader& agent, StaticObjects* memory, bool whole);

    pmc_long get(const Oid& oid, Binding* out) override;
    pmc_long walk(const Oid& root, Bindings* out) override;
    bool batches() const override { return agent_.batches(); }
    pmc_long get_objects(const std::vector<Oid>& oids, Bindings* out) override;
    pmc_long walk_columns(const std::vector<Oid>& roots, const Enough& enough,
                          std::vector<Bindings>* out) override;

    // After reading the volatile part: false when the printer restarted
    // (sysUpTime went back), its supplies or trays are other rows, or the
    // memory lacks what was asked; the report then needs a whole read.
    bool memory_holds() const { return holds_; }

private:
    void note_up_time(const Binding& up_time);

    MibReader& agent_;
    StaticObjects& memory_;
    const bool whole_;
    bool holds_ = true;
    bool up_time_asked_ = false;
};

enum class ReadScope { kWhole, kVolatile };

// Reads *report (its host kept) as read_printer_report does: whole when
// scope asks it or *memory is empty, otherwise the volatile part over
// *memory, and whole at once when that part shows the memory outdated.
// *done says which read made the report; the status is the agent's.
pmc_long read_printer_report_split(MibReader& agent, ReadScope scope, StaticObjects* memory, PrinterReport* report,
                                   ReadScope* done);

}  // namespace pmtool

#endif
