// One printer's part of a status of several: its report, or why there is
// none.
#ifndef PMSNMP_TOOLS_HOST_OUTCOME_H
#define PMSNMP_TOOLS_HOST_OUTCOME_H

#include "printer/printer_status.h"

#include <string>

namespace pmtool {

struct HostOutcome {
    PrinterReport report;  // report.host names the host even when it failed
    bool answered = false;
    pmc_long status = PMC_S_OK;  // the library's, when it did not
    std::string reason;          // why not, when it did not
};

}  // namespace pmtool

#endif
