// The pmsnmp command line: subcommands, options and exit status.
#ifndef PMSNMP_TOOLS_CLI_H
#define PMSNMP_TOOLS_CLI_H

namespace pmtool {

// Exit statuses: 0 success, 1 the request failed, 2 the command line is wrong.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int run_cli(int argc, char** argv);

}  // namespace pmtool

#endif
