// The printer report's reader over the client layer's agent object, which
// the get, walk and set commands use as well.
#ifndef PMSNMP_TOOLS_AGENT_READER_H
#define PMSNMP_TOOLS_AGENT_READER_H

#include "api/client_agent.h"
#include "printer/endpoint.h"
#include "printer/mib_reader.h"

#include <chrono>
#include <string>
#include <vector>

namespace pmtool {

// The agent and how to reach it; target's address, kind and port come from
// host.
struct AgentOptions {
    Endpoint host;
    NPmcClient::TargetOptions target;
    // Walks over SNMPv2c and SNMPv3 use GetBulk unless this is false.
    bool bulk = true;
    pmc_long max_repetitions = 0;  // 0: as many as fit the size cap
    std::uint64_t max_bytes = 0;  // of one host's answers; 0: unbounded
    std::chrono::milliseconds deadline{0};  // for one host; 0: unbounded

    AgentOptions() { target.community = "public"; }
};

// The client layer's options for options.
NPmcClient::AgentOptions client_options(const AgentOptions& options);

class AgentReader : public MibReader {
public:
    explicit AgentReader(AgentOptions options);

    pmc_long get(const Oid& oid, Binding* out) override;
    pmc_long walk(const Oid& root, Bindings* out) override;
    // One GetRequest for the objects and one read for all the columns.
    bool batches() const override { return true; }
    // One GetRequest for all identifiers; objects the agent lacks come back
    // as noSuchObject bindings (SNMPv1 noSuchName included).
    pmc_long get_objects(const std::vector<Oid>& oids, Bindings* out) override;
    pmc_long walk_columns(const std::vector<Oid>& roots, const Enough& enough,
                          std::vector<Bindings>* out) override;

    // One GetRequest for all identifiers, as snmpget asks: each error status
    // the agent answers goes to *errors; when it names an object and
    // ask_again is set, the request goes again without that object. *out
    // holds the bindings of the answer without error, if one came.
    pmc_long get_reporting(const std::vector<Oid>& oids, bool ask_again, Bindings* out,
                           std::vector<AgentError>* errors);

    // Sets the INTEGER oid to value.
    pmc_long set_integer(const Oid& oid, pmc_long value);

    // One line saying why the last failing operation failed.
    const std::string& reason() const { return reason_; }

    const AgentOptions& options() const { return options_; }

private:
    pmc_long ended(const NPmcClient::Outcome& outcome);

    AgentOptions options_;
    NPmcClient::Agent agent_;
    std::string reason_;
};

}  // namespace pmtool

#endif
