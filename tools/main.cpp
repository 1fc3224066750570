// pmsnmp: SNMP get, walk, set and a printer status report from the command
// line, on top of the pmsnmp library.
#include "cli/cli.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    // Whatever slipped through still ends with a reason and a failure status,
    // never with an abort and the fleet's output lost.
    try {
        return pmtool::run_cli(argc, argv);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "pmsnmp: internal error: " << error.what() << std::endl;
    } catch (...) {
        std::cout.flush();
        std::cerr << "pmsnmp: internal error" << std::endl;
    }
    return pmtool::kExitFailure;
}
