#include "cli/cli.h"

#include "api/client_trace.h"
#include "cli/option_names.h"
#include "commands/commands.h"
#include "commands/discover_command.h"
#include "commands/fleet_status.h"
#ifdef PMSNMP_SERVE
#include "serve/serve_command.h"
#include "commands/poll_command.h"
#include "commands/report_command.h"
#include "commands/rules_command.h"
#endif

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>

namespace pmtool {

namespace {

constexpr unsigned short kDefaultPort = 161;
// A host's answers kept at most, and its time without --deadline in units
// of the time all tries of one request may take.
constexpr std::uint64_t kDefaultMaxBytes = 64ull << 20;
constexpr pmc_long kDeadlineRequests = 30;

constexpr const char* kExamples =
    "Examples:\n"
    "  pmsnmp status 192.0.2.7\n"
    "  pmsnmp status -c private --json printer.example\n"
    "  pmsnmp status --summary 192.0.2.7 192.0.2.8 192.0.2.9\n"
    "  pmsnmp discover --printers\n"
    "  pmsnmp get -v 2c 192.0.2.7 1.3.6.1.2.1.1.5.0 1.3.6.1.2.1.43.10.2.1.4.1.1\n"
    "  pmsnmp walk 192.0.2.7 1.3.6.1.2.1.43.11.1.1\n"
    "  pmsnmp set -c private 192.0.2.7:1161 1.3.6.1.4.1.8072.9999.9999.1 0 42\n"
    "  pmsnmp report pages --config fleet.yaml --since 2026-01-01 --csv\n"
    "  pmsnmp rules --config fleet.yaml > printers.rules.yml\n"
    "A get whose answer carries an error status prints the reason and the failed object,\n"
    "then asks again without that object, as snmpget does (-C f: do not ask again).\n"
    "Exit status: 0 success, 1 the agent or the network failed (or answered an error), 2 wrong command line.";

struct CommandLine {
    std::string version = "1";
    std::string community = "public";
    unsigned short port = kDefaultPort;
    pmc_long timeout_ms = 1000;
    pmc_long retries = 1;
    pmc_ulong max_size = 0;
    std::string user;
    std::string level;
    std::string auth_protocol;
    std::string auth_pass;
    std::string priv_protocol;
    std::string priv_pass;
    std::string context;
    std::string trace_file;
    std::string trace_level = "trace";
    bool json = false;
    bool no_bulk = false;
    pmc_long max_repetitions = 0;
    pmc_long deadline_ms = 0;
    std::uint64_t max_bytes = kDefaultMaxBytes;
    std::string get_flags;

    std::string host;
    std::vector<std::string> hosts;
    unsigned parallel = kDefaultParallel;
    bool summary = false;
    std::vector<std::string> oids;
    std::string root;
    std::string oid;
    std::string instance;
    pmc_long value = 0;
};

const std::map<std::string, NPmcClient::TraceDetail> kTraceLevels = {
    {"error", NPmcClient::TraceDetail::kError}, {"warn", NPmcClient::TraceDetail::kWarn},
    {"info", NPmcClient::TraceDetail::kInfo},   {"debug", NPmcClient::TraceDetail::kDebug},
    {"trace", NPmcClient::TraceDetail::kAll}};

template <class Value>
std::vector<std::string> keys_of(const std::map<std::string, Value>& map) {
    std::vector<std::string> keys;
    for (const auto& entry : map) keys.push_back(entry.first);
    return keys;
}

// The options of every command that asks agents, with the versions it takes.
void add_agent_options(CLI::App* command, const std::vector<std::string>& versions, std::string& version,
                       std::string& community, unsigned short& port, pmc_long& timeout_ms, pmc_long& retries) {
    std::string version_names;
    for (const std::string& name : versions) version_names += (version_names.empty() ? "" : "|") + name;
    // Validators without descriptions: the type names say what is allowed.
    command->add_option("-v,--snmp-version", version, "SNMP version (default 1)")
        ->check(CLI::IsMember(versions).description(""))
        ->type_name(version_names);
    command->add_option("-c,--community", community, "community for SNMPv1 and SNMPv2c (default public)")
        ->type_name("COMMUNITY");
    command->add_option("-p,--port", port, "agent's UDP port unless HOST gives one (default 161)")
        ->check(CLI::Range(1, 65535).description(""))
        ->type_name("PORT");
    command->add_option("-t,--timeout", timeout_ms, "time-out of each try in milliseconds (default 1000)")
        ->check(CLI::Range(1, 600000).description(""))
        ->type_name("MS");
    command->add_option("-r,--retries", retries, "tries after the first (default 1)")
        ->check(CLI::Range(0, 100).description(""))
        ->type_name("N");
}

void add_common_options(CLI::App* command, CommandLine& line) {
    add_agent_options(command, {"1", "2c", "3"}, line.version, line.community, line.port, line.timeout_ms,
                      line.retries);
    command->add_option("--max-size", line.max_size,
                        "largest request message in octets; bigger requests are split (default: 1400)")
        ->check(CLI::Range(0, 65535).description(""))
        ->type_name("OCTETS");
    command->add_option("-u,--user", line.user, "SNMPv3 security name")->type_name("NAME");
    command->add_option("-l,--level", line.level, "SNMPv3 security level (default: from -A and -X)")
        ->check(CLI::IsMember(keys_of(kLevels)).description(""))
        ->type_name("noAuthNoPriv|authNoPriv|authPriv");
    command->add_option("-a,--auth-protocol", line.auth_protocol, "SNMPv3 authentication protocol (default MD5)")
        ->check(CLI::IsMember(keys_of(kAuthProtocols), CLI::ignore_case).description(""))
        ->type_name("MD5|SHA");
    command->add_option("-A,--auth-pass", line.auth_pass, "SNMPv3 authentication pass phrase")
        ->type_name("PASSPHRASE");
    command->add_option("-x,--priv-protocol", line.priv_protocol, "SNMPv3 privacy protocol (default DES)")
        ->check(CLI::IsMember(keys_of(kPrivProtocols), CLI::ignore_case).description(""))
        ->type_name("DES|AES");
    command->add_option("-X,--priv-pass", line.priv_pass, "SNMPv3 privacy pass phrase")->type_name("PASSPHRASE");
    command->add_option("-n,--context", line.context, "SNMPv3 context name")->type_name("NAME");
    command->add_option("--trace", line.trace_file, "append the library's trace log to FILE")->type_name("FILE");
    command->add_option("--trace-level", line.trace_level, "detail of the trace log (default trace: all)")
        ->check(CLI::IsMember(keys_of(kTraceLevels)).description(""))
        ->type_name("error|warn|info|debug|trace");
    command->add_flag("--json", line.json, "print JSON instead of text");
}

// Walks, and the status report's table reads, go as GetBulk over SNMPv2c
// and SNMPv3; an agent whose tables never end meets the bounds.
void add_read_options(CLI::App* command, CommandLine& line) {
    command->add_option("--deadline", line.deadline_ms,
                        "time for one host in milliseconds, after which it is reported as failed "
                        "(default: 30 times the time-out of all tries)")
        ->check(CLI::Range(1, 86400000).description(""))
        ->type_name("MS");
    command->add_option("--max-bytes", line.max_bytes,
                        "octets of answers kept for one host before it is reported as failed (default 64 MiB)")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 40).description(""))
        ->type_name("OCTETS");
    command->add_option("--max-repetitions", line.max_repetitions,
                        "GetBulk repetitions per request (default: as many as fit the size cap)")
        ->check(CLI::Range(1, 10000).description(""))
        ->type_name("N");
    command->add_flag("--no-bulk", line.no_bulk, "walk with GetNext also over SNMPv2c and SNMPv3");
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Checks what CLI11 cannot see alone; a non-empty result is the reason.
std::string make_agent_options(const CommandLine& line, AgentOptions* options) {
    std::string error;
    if (!parse_host(line.host, line.port, &options->host, &error)) return error;
    NPmcClient::TargetOptions& target = options->target;
    target.version = kVersions.at(line.version);
    target.community = line.community;
    target.timeout_ms = line.timeout_ms;
    target.retries = line.retries;
    target.max_message_size = line.max_size;
    options->bulk = !line.no_bulk;
    options->max_repetitions = line.max_repetitions;
    options->max_bytes = line.max_bytes;
    options->deadline = std::chrono::milliseconds(
        line.deadline_ms != 0 ? line.deadline_ms : kDeadlineRequests * line.timeout_ms * (line.retries + 1));
    target.security_name = line.user;
    target.context_name = line.context;
    target.auth_pass_phrase = line.auth_pass;
    target.priv_pass_phrase = line.priv_pass;
    if (!line.auth_protocol.empty()) target.auth_protocol = kAuthProtocols.at(upper(line.auth_protocol));
    if (!line.priv_protocol.empty()) target.priv_protocol = kPrivProtocols.at(upper(line.priv_protocol));
    if (target.version != PMS_VERSION_3) return std::string();

    if (line.user.empty()) return "SNMPv3 needs a security name (-u)";
    // Without -l, the level follows from the pass phrases given, as with
    // the Net-SNMP tools' habit of naming only what is used.
    if (!line.level.empty()) {
        target.security_level = kLevels.at(line.level);
    } else {
        target.security_level = line.priv_pass.empty()
                                      ? (line.auth_pass.empty() ? PMS_SEC_NO_AUTH_NO_PRIV : PMS_SEC_AUTH_NO_PRIV)
                                      : PMS_SEC_AUTH_PRIV;
    }
    if (target.security_level != PMS_SEC_NO_AUTH_NO_PRIV) {
        if (line.auth_pass.empty()) return "SNMPv3 level " + line.level + " needs an authentication pass phrase (-A)";
        if (target.auth_protocol == 0) target.auth_protocol = PMS_AUTH_MD5;
    }
    if (target.security_level == PMS_SEC_AUTH_PRIV) {
        if (line.priv_pass.empty()) return "SNMPv3 level authPriv needs a privacy pass phrase (-X)";
        if (target.priv_protocol == 0) target.priv_protocol = PMS_PRIV_DES;
    }
    return std::string();
}

int configure_trace(const CommandLine& line, const Output& output) {
    if (line.trace_file.empty()) return kExitOk;
    const pmc_long status = NPmcClient::trace_to_file(kTraceLevels.at(line.trace_level), line.trace_file);
    if (status != PMC_S_OK) return report_failure(output, "cannot open trace file '" + line.trace_file + "'");
    return kExitOk;
}

std::string usage_message(const CLI::App*, const CLI::Error& error) {
    return std::string("pmsnmp: ") + error.what() + " (see --help)\n";
}

CLI::App* add_discover_command(CLI::App& app, DiscoverCommandLine& line) {
    CLI::App* command = app.add_subcommand(
        "discover", "find the agents that answer a broadcast (default 255.255.255.255) and tell printers apart");
    command->add_option("BROADCAST-ADDRESS", line.destination, "where the request goes, with an optional port")
        ->type_name("");
    add_agent_options(command, {"1", "2c"}, line.version, line.community, line.port, line.timeout_ms, line.retries);
    command->add_flag("--json", line.json, "print JSON instead of text");
    command->add_flag("--printers", line.printers_only, "list printers only");
    return command;
}

#ifdef PMSNMP_SERVE
constexpr int kMaxPollRepeat = 100000;

CLI::App* add_poll_command(CLI::App& app, PollCommandLine& line) {
    CLI::App* command = app.add_subcommand(
        "poll", "poll printers and feed serve's alerts and history with the result (for cron, without serve)");
    command->add_option("HOST", line.hosts, "printer addresses")->required()->type_name("");
    command->add_option("--config", line.config, "serve's YAML file (its alerts: and history: sections)")
        ->required()
        ->type_name("FILE");
    add_agent_options(command, {"1", "2c"}, line.version, line.community, line.port, line.timeout_ms, line.retries);
    command->add_option("--time", line.time, "record the poll at this time instead of now (back-filling)")
        ->type_name("TIME");
    command->add_option("--repeat", line.repeat, "polls of every host (default 1)")
        ->check(CLI::Range(1, kMaxPollRepeat).description(""))
        ->type_name("N");
    command->add_option("--interval", line.interval_ms, "between repeated polls, in milliseconds (default 60000)")
        ->check(CLI::Range(0, 86400000).description(""))
        ->type_name("MS");
    command->add_option("--deliver", line.deliver_ms, "time the webhook may take at the end, in ms (default 10000)")
        ->check(CLI::Range(0, 3600000).description(""))
        ->type_name("MS");
    return command;
}
#endif

}  // namespace

int run_cli(int argc, char** argv) {
    CLI::App app{"pmsnmp: SNMP requests and printer status reports from the command line.\n"
                 "HOST is an address or a name with an optional port: 192.0.2.7, printer.example:161,\n"
                 "[2001:db8::7]:161. OIDs are numeric (1.3.6.1.2.1.1.5.0). Each subcommand has --help.",
                 "pmsnmp"};
    app.footer(kExamples);
    app.require_subcommand(1);
    app.failure_message(usage_message);
    app.set_version_flag("--version", "pmsnmp " PMSNMP_VERSION);

    CommandLine line;
    CLI::App* get = app.add_subcommand("get", "read objects (GetRequest); prints them as snmpget -On does");
    add_common_options(get, line);
    get->add_option("HOST", line.host, "agent address")->required()->type_name("");
    get->add_option("OID", line.oids, "object identifiers")->required()->type_name("");
    get->add_option("-C", line.get_flags,
                    "f: after an error status, do not ask again without the failed object (as snmpget -Cf)")
        ->check(CLI::IsMember({"f"}).description(""))
        ->type_name("f");

    CLI::App* walk = app.add_subcommand(
        "walk", "read a subtree (GetBulk over SNMPv2c and SNMPv3, else GetNext); prints as snmpwalk -On does");
    add_common_options(walk, line);
    add_read_options(walk, line);
    walk->add_option("HOST", line.host, "agent address")->required()->type_name("");
    walk->add_option("ROOT", line.root, "identifier of the subtree")->required()->type_name("OID");

    CLI::App* set = app.add_subcommand("set", "write an INTEGER object (SetRequest) at OID.INSTANCE");
    add_common_options(set, line);
    set->add_option("HOST", line.host, "agent address")->required()->type_name("");
    set->add_option("OID", line.oid, "object identifier of the column or scalar")->required()->type_name("OID");
    set->add_option("INSTANCE", line.instance, "instance arcs appended to OID (0 for a scalar)")
        ->required()
        ->type_name("ARCS");
    set->add_option("VALUE", line.value, "the INTEGER value")->required()->type_name("INTEGER");

    CLI::App* status = app.add_subcommand(
        "status", "printer status report: devices, errors, supplies, trays, alerts, console, page count");
    add_common_options(status, line);
    add_read_options(status, line);
    status->add_option("HOST", line.hosts, "printer addresses")->required()->type_name("");
    status->add_option("--parallel", line.parallel, "hosts polled at a time (default 16)")
        ->check(CLI::Range(1, 1024).description(""))
        ->type_name("N");
    status->add_flag("--summary", line.summary, "one line per printer instead of the full report");

    DiscoverCommandLine discover_line;
    CLI::App* discover = add_discover_command(app, discover_line);
#ifdef PMSNMP_SERVE
    ServeCommandLine serve_line;
    CLI::App* serve = add_serve_command(app, serve_line);
    PollCommandLine poll_line;
    CLI::App* poll = add_poll_command(app, poll_line);
    ReportCommandLine report_line;
    const ReportCommands reports = add_report_command(app, report_line);
    RulesCommandLine rules_line;
    CLI::App* rules = add_rules_command(app, rules_line);
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kExitOk : kExitUsage;
    }

    if (discover->parsed()) return run_discover(discover_line, std::cout, std::cerr);
#ifdef PMSNMP_SERVE
    if (serve->parsed()) return run_serve(serve_line, std::cerr);
    if (poll->parsed()) return run_poll(poll_line, std::cout, std::cerr);
    if (reports.pages->parsed() || reports.supplies->parsed() || reports.orders->parsed())
        return run_report(reports, report_line, std::cout, std::cerr);
    if (rules->parsed()) return run_rules(rules_line, std::cout, std::cerr);
#endif
    if (status->parsed()) line.host = line.hosts.front();
    const Output output{std::cout, std::cerr, line.json};
    AgentOptions options;
    const std::string error = make_agent_options(line, &options);
    if (!error.empty()) {
        output.err << "pmsnmp: " << error << std::endl;
        return kExitUsage;
    }
    if (configure_trace(line, output) != kExitOk) return kExitFailure;

    AgentReader agent(options);
    if (get->parsed()) return run_get(agent, line.oids, line.get_flags.empty(), output);
    if (walk->parsed()) return run_walk(agent, line.root, output);
    if (set->parsed()) return run_set(agent, line.oid, line.instance, line.value, output);
    if (line.hosts.size() == 1 && !line.summary) return run_status(agent, output);
    std::vector<AgentOptions> fleet;
    for (const std::string& host : line.hosts) {
        fleet.push_back(options);
        std::string reason;
        if (!parse_host(host, line.port, &fleet.back().host, &reason)) {
            output.err << "pmsnmp: " << reason << std::endl;
            return kExitUsage;
        }
    }
    return run_fleet_status(fleet, line.parallel, line.summary, output);
}

}  // namespace pmtool
