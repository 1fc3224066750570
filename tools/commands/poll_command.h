// pmsnmp poll: polls printers once (or a few times) and hands each poll to
// the alerts and the history as serve does, for sites that run it from cron.
#ifndef PMSNMP_TOOLS_POLL_COMMAND_H
#define PMSNMP_TOOLS_POLL_COMMAND_H

#include <pmsnmp/types.h>

#include <ostream>
#include <string>
#include <vector>

namespace pmtool {

struct PollCommandLine {
    std::string config;
    std::vector<std::string> hosts;
    std::string version = "1";
    std::string community = "public";
    unsigned short port = 161;
    pmc_long timeout_ms = 1000;
    pmc_long retries = 1;
    std::string time;  // the polls' time instead of the clock's
    int repeat = 1;
    int interval_ms = 60000;
    int deliver_ms = 10000;
};

int run_poll(const PollCommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace pmtool

#endif
