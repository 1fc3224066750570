// The printer report's reader over the client layer's agent object: it
// checks the identifiers a person typed and hands the rest down.
#ifndef PMSNMP_TOOLS_SNMP_AGENT_H
#define PMSNMP_TOOLS_SNMP_AGENT_H

#include "api/client_agent.h"
#include "agent/endpoint.h"
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

class SnmpAgent : public MibReader {
public:
    explicit SnmpAgent(AgentOptions options);

    pmc_long get(const std::string& oid, Binding* out) override;
    pmc_long walk(const std::string& root, Bindings* out) override;
    // One GetRequest for the objects and one read for all the columns.
    bool batches() const override { return true; }
    pmc_long get_objects(const std::vector<std::string>& oids, Bindings* out) override;
    pmc_long walk_columns(const std::vector<std::string>& roots, const Enough& enough,
                          std::vector<Bindings>* out) override;

    // One GetRequest for all identifiers; objects the agent lacks come back
    // as noSuchObject bindings (SNMPv1 noSuchName included).
    pmc_long get_many(const std::vector<std::string>& oids, Bindings* out);

    // One GetRequest for all identifiers, as snmpget asks: each error status
    // the agent answers goes to *errors; when it names an object and
    // ask_again is set, the request goes again without that object. *out
    // holds the bindings of the answer without error, if one came.
    pmc_long get_reporting(const std::vector<std::string>& oids, bool ask_again, Bindings* out,
                           std::vector<AgentError>* errors);

    // Sets the INTEGER oid.instance to value; *written (if given) gets the
    // identifier set, in dotted decimal.
    pmc_long set_integer(const std::string& oid, const std::string& instance, pmc_long value,
                         std::string* written = nullptr);

    // One line saying why the last failing operation failed.
    const std::string& reason() const { return reason_; }

    const AgentOptions& options() const { return options_; }

private:
    static constexpr const char* kObjectExample = "1.3.6.1.2.1.1.5.0";
    static constexpr const char* kSubtreeExample = "1.3.6.1.2.1.43";
    // texts in numeric form into *oids; false, with the reason, at the
    // first that is not an identifier.
    bool numeric_oids(const std::vector<std::string>& texts, const char* example, std::vector<std::string>* oids);
    pmc_long ended(const NPmcClient::Outcome& outcome);

    AgentOptions options_;
    NPmcClient::Agent agent_;
    std::string reason_;
};

}  // namespace pmtool

#endif
