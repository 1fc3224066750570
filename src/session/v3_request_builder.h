// One SNMPv3 exchange's library side: the opened session (from the pool
// when one is idle there, else a new one) and the request PDU built from
// ours. The destructor frees the PDU and gives the session back to the pool
// when the exchange went well, else closes it.
#ifndef PMSNMP_SESSION_V3_REQUEST_BUILDER_H
#define PMSNMP_SESSION_V3_REQUEST_BUILDER_H

#include <memory>
#include <string>

#include <pmsnmp/pdu.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "message/snmp_target.h"
#include "session/v3_engine_cache.h"
#include "session/v3_open_session.h"

// Library PDU command of a PDU type code; -2 for types with none.
pmc_long pms_v3_pdu_command(pmc_long type, int* command);

// The type letter snmp_add_var takes for a value kind, 0 for none.
char pms_v3_type_letter(pmc_long value_type);

class V3RequestBuilder {
public:
    // probe: the session is for engine discovery (a broadcast-enabled
    // socket, a discovery PDU). The library never probes by itself: its
    // probe would wait under the library lock.
    explicit V3RequestBuilder(bool probe) : probe_(probe) {}
    ~V3RequestBuilder();
    V3RequestBuilder(const V3RequestBuilder&) = delete;
    V3RequestBuilder& operator=(const V3RequestBuilder&) = delete;

    // A library session for target (which it does not keep), speaking to
    // engine when given: its identifier, boots and time. With the agent's
    // key (pms_v3_agent_key) and an engine, the session may come from the
    // pool and go back to it.
    pmc_long open(IPmsSnmpTarget* target, const V3Engine* engine = nullptr,
                  const std::string* agent = nullptr);
    // The session may serve later requests like this one.
    void keep() { keep_ = !pool_key_.empty(); }
    // Builds the library PDU: the discovery probe, or pdu's type, request
    // identifier and bindings.
    pmc_long build(IPmsPdu* pdu);

    void* handle() const { return session_ ? session_->handle() : nullptr; }
    // Hands the built PDU over.
    netsnmp_pdu* detach_pdu();

private:
    pmc_long build_probe();
    pmc_long add_binding(IPmsVarBind* binding);

    bool probe_;
    bool keep_ = false;
    std::string pool_key_;  // empty: not for the pool
    std::unique_ptr<V3OpenSession> session_;
    netsnmp_pdu* pdu_ = nullptr;
    oid name_[MAX_OID_LEN] = {};
};

#endif
