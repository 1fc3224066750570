// The pmsnmp command line: subcommands and options.
#ifndef PMSNMP_TOOLS_CLI_H
#define PMSNMP_TOOLS_CLI_H

#include "cli/exit_codes.h"

namespace pmtool {

// Runs the subcommand argv names; one of the exit statuses.
int run_cli(int argc, char** argv);

}  // namespace pmtool

#endif
