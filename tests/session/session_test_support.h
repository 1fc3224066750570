// Helpers shared by the session tests: PDUs from identifier texts, targets
// for the test agent, and a writer that keeps the "snmp" log lines.
#ifndef PMSNMP_TESTS_SESSION_SUPPORT_H
#define PMSNMP_TESTS_SESSION_SUPPORT_H

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "log/component_log.h"
#include "log/log_iid.h"
#include "log/log_writer.h"
#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "net/network_address.h"
#include "session/session_dispatcher.h"
#include "support/log_capture.h"
#include "support/text_of.h"
#include "value/value_factory.h"

namespace session_test {

inline pmc::Owned<IPmsPdu> make_pdu(pmc_long type, const std::vector<std::string>& oids) {
    pmc::Owned<IPmsPdu> pdu(create_pdu(nullptr));
    pdu->set_type(type);
    pdu->set_error_status(0);
    pdu->set_error_index(0);
    for (const std::string& text : oids) pdu->add_varbind(pms_create_oid_from_text(text.c_str(), nullptr), nullptr);
    return pdu;
}

// "1.3.6.1.2.1.1.<first>.0" ... for count identifiers.
inline std::vector<std::string> numbered_oids(int count, int first = 1) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back("1.3.6.1.2.1.1." + std::to_string(first + i) + ".0");
    return out;
}

inline std::string oid_at(IPmsPdu* pdu, pmc_ulong index) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    IPmsVarBind* binding = list != nullptr ? list->get_at(index) : nullptr;
    if (binding == nullptr || binding->get_oid() == nullptr) return "<none>";
    return text_of(binding->get_oid());
}

inline IPmsValue* value_at(IPmsPdu* pdu, pmc_ulong index) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    IPmsVarBind* binding = list != nullptr ? list->get_at(index) : nullptr;
    return binding != nullptr ? binding->get_value() : nullptr;
}

inline std::vector<std::string> oids_of(IPmsPdu* pdu) {
    std::vector<std::string> out;
    IPmsVarBindList* list = pdu->get_varbind_list();
    for (pmc_ulong i = 0; list != nullptr && i < list->count(); ++i) out.push_back(oid_at(pdu, i));
    return out;
}

inline pmc_ulong count_of(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->count() : 0;
}

inline pmc::Owned<IPmsSnmpTarget> make_target(const char* address, unsigned short port, pmc_long version = 0,
                                              pmc_long timeout_ms = 1000, pmc_long retries = 0,
                                              pmc_long max_size = 1400, const char* community = "public") {
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(nullptr));
    target->set_version(version);
    target->set_timeout(timeout_ms);
    target->set_retries(retries);
    target->set_max_message_size(max_size);
    IPmsCommunityTarget* community_view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, reinterpret_cast<void**>(&community_view));
    if (community_view != nullptr) community_view->set_community(community);
    pmc_long status = 0;
    pmc::Owned<CPmcNetworkAddress> where(pmc_create_network_address_from_text(address, port, &status));
    if (where) target->set_address(where.get());
    return target;
}

// A GetRequest for name to the agent on 127.0.0.1:port, one try; the
// answer is left in *pdu.
inline pmc_long get_from_agent(unsigned short port, const std::string& name, pmc::Owned<IPmsPdu>* pdu,
                               pmc_long timeout_ms = 2000) {
    *pdu = make_pdu(PMS_PDU_GET, {name});
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", port, PMS_VERSION_2C, timeout_ms);
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    return dispatcher->send_sync(pdu->get(), target.get());
}

}  // namespace session_test

#endif
