// pmsnmp serve: a printer fleet monitor with Prometheus metrics, a JSON
// API and a dashboard over HTTP.
#ifndef PMSNMP_TOOLS_SERVE_COMMAND_H
#define PMSNMP_TOOLS_SERVE_COMMAND_H

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace pmtool {

struct ServeCommandLine {
    std::string config;
    std::vector<std::string> discovered;
    std::string shard;
    std::string listen;
};

CLI::App* add_serve_command(CLI::App& app, ServeCommandLine& line);

// Serves until SIGTERM or SIGINT; exit status as for every subcommand.
int run_serve(const ServeCommandLine& line, std::ostream& err);

}  // namespace pmtool

#endif
