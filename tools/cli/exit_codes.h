// The exit statuses of pmsnmp. A leaf: the commands return them and cli/
// dispatches to the commands, so they stand apart from cli.h and every
// arrow points one way (cli -> commands -> exit_codes).
#ifndef PMSNMP_TOOLS_EXIT_CODES_H
#define PMSNMP_TOOLS_EXIT_CODES_H

namespace pmtool {

// 0 success, 1 the request failed, 2 the command line is wrong.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

}  // namespace pmtool

#endif
