// The one door from serve to the rest of the tool: poll one printer into
// the report model that `pmsnmp status --json` renders.
#ifndef PMSNMP_TOOLS_SERVE_PRINTER_POLLER_H
#define PMSNMP_TOOLS_SERVE_PRINTER_POLLER_H

#include "printer/agent_reader.h"
#include "printer/printer_status.h"

#include <optional>
#include <string>

namespace pmtool {

struct PollOutcome {
    PrinterReport report;
    bool answered = false;
    bool timed_out = false;  // no answer at all, as against a failing one
    std::string reason;      // why not, when it did not answer
    // sysLocation, read only when asked for (it seldom changes).
    std::optional<std::string> location;
};

// One status poll, as `pmsnmp status` makes it; read_static adds the
// objects the report lacks that change only when someone edits them.
PollOutcome poll_printer(const AgentOptions& options, bool read_static);

}  // namespace pmtool

#endif
