// pmsnmp: SNMP get, walk, set and a printer status report from the command
// line, on top of the pmsnmp library.
#include "cli/cli.h"

int main(int argc, char** argv) {
    return pmtool::run_cli(argc, argv);
}
