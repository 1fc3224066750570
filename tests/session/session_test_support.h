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

// Keeps every line written to the "snmp" session from the moment it is
// installed (once per process; the session keeps a reference).
class LogCapture final : public IPmcLogWriter {
public:
    static LogCapture& instance() {
        static LogCapture* capture = [] {
            auto* made = new LogCapture();
            pmc_snmp_log()->add_writer(made);
            pmc_snmp_log()->set_level_mask(static_cast<pmc_ulong>(PMC_LOG_ALL));
            pmc_snmp_log()->set_line_flags(0);
            return made;
        }();
        return *capture;
    }

    void clear() {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.clear();
    }
    // The number of lines that contain text.
    int count(const std::string& text) {
        std::lock_guard<std::mutex> guard(lock_);
        int n = 0;
        for (const std::string& line : lines_) n += line.find(text) != std::string::npos ? 1 : 0;
        return n;
    }

    pmc_long query_interface(const char* iid, void** out) override {
        if (iid == nullptr || out == nullptr) return PMC_E_INVALID_ARG;
        if (std::strcmp(iid, PMC_IID_LOG_OBJECT) == 0 || std::strcmp(iid, PMC_IID_LOG_LINE_WRITER) == 0) {
            add_ref();
            *out = this;
            return PMC_S_OK;
        }
        *out = nullptr;
        return PMC_E_NO_INTERFACE;
    }
    // Lives until the process ends.
    pmc_ulong add_ref() override { return 2; }
    pmc_ulong release() override { return 1; }
    const char* get_type_name() override { return "capture"; }
    const char* get_target() override { return "session-test-capture"; }
    pmc_long write_line(const char* text) override {
        std::lock_guard<std::mutex> guard(lock_);
        lines_.emplace_back(text != nullptr ? text : "");
        return PMC_S_OK;
    }

private:
    LogCapture() = default;
    std::mutex lock_;
    std::vector<std::string> lines_;
};

}  // namespace session_test

#endif
