#include "discovery.h"

#include "binding.h"
#include "printer_mib.h"
#include "snmp_agent.h"

#include <pmsnmp/owned.h>
#include <pmsnmp/pmsnmp.h>

#include "api/get_data.h"
#include "message/list_cursor.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"
#include "message/snmp_target.h"
#include "net/network_address.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace pmtool {

namespace {

constexpr const char* kSysObjectId = "1.3.6.1.2.1.1.2.0";
constexpr const char* kPrinterMib = "1.3.6.1.2.1.43";

std::string value_text(const IPmsValue* value) {
    if (value == nullptr) return std::string();
    if (value->get_type() == PMS_TYPE_OCTET_STRING) {
        pmc_ulong length = 0;
        const unsigned char* data = value->get_bytes(&length, nullptr);
        return data != nullptr ? std::string(reinterpret_cast<const char*>(data), length) : std::string();
    }
    pmc::Owned<IPmcByteString> text(value->get_text_new(nullptr));
    return text ? std::string(reinterpret_cast<const char*>(text->get_data()), text->get_length()) : std::string();
}

pmc::Owned<IPmsPdu> make_request(pmc_long type, const std::vector<std::string>& oids) {
    pmc::Owned<IPmsPdu> pdu(create_pdu(nullptr));
    if (!pdu) return pdu;
    pdu->set_type(type);
    for (const std::string& oid : oids) {
        IPmsOid* name = pms_create_oid_from_text(oid.c_str(), nullptr);
        if (name == nullptr || pdu->add_varbind(name, nullptr) != PMC_S_OK) return pmc::Owned<IPmsPdu>();
    }
    return pdu;
}

pmc_long make_target(const DiscoveryOptions& options, const std::string& address, pmc::Owned<IPmsSnmpTarget>* out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(&status));
    if (!target) return status;
    target->set_version(options.version);
    target->set_timeout(options.timeout_ms);
    target->set_retries(options.retries);
    target->set_max_message_size(
        static_cast<pmc_long>(CPmcGetData::message_size_limit(options.destination.kind, 0)));
    void* facet = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &facet);
    if (facet == nullptr) return PMC_E_FAIL;
    status = static_cast<IPmsCommunityTarget*>(facet)->set_community(options.community.c_str());
    if (status != PMC_S_OK) return status;
    pmc::Owned<CPmcNetworkAddress> where(
        pmc_create_network_address_from_text(address.c_str(), options.destination.port, &status));
    if (!where) return status;
    status = target->set_address(where.get());
    if (status == PMC_S_OK) *out = std::move(target);
    return status;
}

// Takes what pdu's bindings say about the agent; an answer with an error
// status says nothing.
void read_answer(IPmsPdu* pdu, DiscoveredAgent* agent) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    if (pdu->get_error_status() != PMS_ERR_NO_ERROR || list == nullptr) return;
    for (pmc_ulong i = 0; i < list->count(); ++i) {
        IPmsVarBind* binding = list->get_at(i);
        const std::string oid = strip_dot(value_text(binding->get_oid()));
        const std::string value = value_text(binding->get_value());
        if (oid == mib::kSysDescr) agent->description = value;
        if (oid == mib::kSysName) agent->name = value;
        if (oid == kSysObjectId) agent->object_id = strip_dot(value);
        if (oid == std::string(mib::kHrDeviceType) + ".1" && strip_dot(value) == mib::kHrDevicePrinter)
            agent->printer = true;
        if (oid_is_below(oid, kPrinterMib)) agent->printer = true;
    }
}

// One question to the agent alone; what it answers goes into *agent, and
// silence only leaves *agent as it was.
void ask_agent(const DiscoveryOptions& options, pmc_long type, const std::vector<std::string>& oids,
               DiscoveredAgent* agent) {
    pmc::Owned<IPmsSnmpTarget> target;
    pmc::Owned<IPmsPdu> pdu = make_request(type, oids);
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    if (!pdu || !dispatcher || make_target(options, agent->address, &target) != PMC_S_OK) return;
    if (dispatcher->send_sync(pdu.get(), target.get()) == PMC_S_OK) read_answer(pdu.get(), agent);
}

DiscoveredAgent agent_of(const DiscoveryOptions& options, IPmsSnmpPacket* reply) {
    DiscoveredAgent agent;
    agent.address = reply->get_target()->get_address()->get_text();
    read_answer(reply->get_pdu(), &agent);
    // SNMPv1 answers noSuchName for the whole request when one object is
    // missing (hrDeviceType.1 on agents without Host Resources).
    if (reply->get_pdu()->get_error_status() != PMS_ERR_NO_ERROR)
        ask_agent(options, PMS_PDU_GET, {mib::kSysDescr, mib::kSysName, kSysObjectId}, &agent);
    if (!agent.printer) ask_agent(options, PMS_PDU_GET_NEXT, {kPrinterMib}, &agent);
    return agent;
}

// Family first (IPv4 before IPv6), then the address's octets.
std::array<unsigned char, 17> address_key(const std::string& text) {
    std::array<unsigned char, 17> key{};
    if (inet_pton(AF_INET, text.c_str(), key.data() + 1) == 1) return key;
    key[0] = 1;
    if (inet_pton(AF_INET6, text.c_str(), key.data() + 1) == 1) return key;
    key[0] = 2;
    return key;
}

}  // namespace

bool address_before(const std::string& a, const std::string& b) {
    const auto key_a = address_key(a);
    const auto key_b = address_key(b);
    return key_a != key_b ? key_a < key_b : a < b;
}

pmc_long discover_agents(const DiscoveryOptions& options, std::vector<DiscoveredAgent>* agents,
                         std::string* reason) {
    AgentOptions described;
    described.host = options.destination;
    described.version = options.version;
    described.timeout_ms = options.timeout_ms;
    described.retries = options.retries;
    pmc::Owned<IPmsSnmpTarget> target;
    pmc_long status = make_target(options, options.destination.address, &target);
    pmc::Owned<IPmsPdu> pdu = make_request(
        PMS_PDU_GET, {mib::kSysDescr, mib::kSysName, kSysObjectId, std::string(mib::kHrDeviceType) + ".1"});
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    if (status == PMC_S_OK && (!pdu || !dispatcher)) status = PMC_E_NO_MEMORY;
    IPmsSnmpPacketList* list = nullptr;
    if (status == PMC_S_OK) status = dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &list);
    pmc::Owned<IPmsSnmpPacketList> replies(list);
    if (status != PMC_S_OK) {
        *reason = describe_status(status, described);
        return status;
    }
    agents->clear();
    PmcListCursor<IPmsSnmpPacket> cursor(replies.get());
    for (IPmsSnmpPacket* reply = cursor.current(); reply != nullptr; cursor.next(), reply = cursor.current())
        agents->push_back(agent_of(options, reply));
    std::sort(agents->begin(), agents->end(), [](const DiscoveredAgent& a, const DiscoveredAgent& b) {
        return address_before(a.address, b.address);
    });
    return PMC_S_OK;
}

}  // namespace pmtool
