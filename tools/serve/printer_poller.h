// The one door from serve to the rest of the tool: poll one printer into
// the report model that `pmsnmp status --json` renders.
#ifndef PMSNMP_TOOLS_SERVE_PRINTER_POLLER_H
#define PMSNMP_TOOLS_SERVE_PRINTER_POLLER_H

#include "printer/agent_reader.h"
#include "printer/printer_status.h"
#include "printer/volatile_read.h"

#include <optional>
#include <string>

namespace pmtool {

struct PollOutcome {
    PrinterReport report;
    bool answered = false;
    bool timed_out = false;  // no answer at all, as against a failing one
    std::string reason;      // why not, when it did not answer
    bool whole = false;      // the report was read whole, not only its volatile part
    // sysLocation, read with every whole report (it seldom changes).
    std::optional<std::string> location;
};

// One status poll, as `pmsnmp status` makes it: whole when scope asks it or
// *memory (this printer's, from the last whole poll) no longer holds,
// otherwise only the volatile objects.
PollOutcome poll_printer(const AgentOptions& options, ReadScope scope, StaticObjects* memory);

}  // namespace pmtool

#endif
