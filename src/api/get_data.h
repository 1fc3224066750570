// The get-data facade behind IPmcGetData: one request PDU, one target and
// the agent's address, rebuilt by every successful open.
#ifndef PMSNMP_API_GET_DATA_H
#define PMSNMP_API_GET_DATA_H

#include <pmsnmp/get_data.h>
#include <pmsnmp/owned.h>

#include <cstddef>

#include "api/client_target.h"
#include "message/snmp_target.h"
#include "net/network_address.h"

// Room for 255 characters and the terminator.
constexpr pmc_ulong PMC_COMMUNITY_CAPACITY = 256;
constexpr const char* PMC_DEFAULT_COMMUNITY = "vexmor";

// Status of a request operation on an object that was never opened.
constexpr pmc_long PMC_E_NOT_OPEN = PMC_E_INVALID_ARG;

// What one walk may add to its list before it ends with PMC_E_FAIL: far
// more than any real table, far less than an endless one would take.
constexpr std::size_t PMC_WALK_MAX_RESPONSES = 1000000;
constexpr std::size_t PMC_WALK_MAX_OCTETS = 64u << 20;

class CPmcGetData final : public IPmcGetData {
public:
    CPmcGetData();
    CPmcGetData(const CPmcGetData&) = delete;
    CPmcGetData& operator=(const CPmcGetData&) = delete;

    void release() override;
    void set_community(const char* community) override;
    pmc_long open(const char* address, pmc_long address_kind, unsigned short port,
                  pmc_long version, const char* security_name, pmc_long security_level,
                  pmc_long auth_protocol, pmc_long priv_protocol, const char* auth_pass_phrase,
                  const char* priv_pass_phrase, const char* context_name, pmc_long timeout_ms,
                  pmc_long retries, pmc_ulong max_message_size) override;
    pmc_long add_get_variable(const char* oid, bool scalar) override;
    pmc_long add_set_variable(const char* oid, const char* instance, pmc_long value) override;
    pmc_long set() override;
    pmc_long walk(IPmcPtrList<IPmsPdu>* responses, const char* root_oid) override;
    pmc_long get_string(char* buffer) override;
    pmc_long get_integer_array(pmc_long* values, pmc_long count) override;
    pmc_long get_integer(pmc_long* value) override;
    pmc_long get_address_kind(const char* address, pmc_long* kind) override;
    pmc_long get_string_n(char* buffer, pmc_ulong size) override;
    pmc_long get_error_status(pmc_long* error_status, pmc_long* error_index) override;

    // For the library's own tests: the current state, lent (null until open).
    IPmsPdu* request_pdu() const { return pdu_.get(); }
    IPmsSnmpTarget* current_target() const;
    CPmcNetworkAddress* address() const { return address_.get(); }
    const char* community() const { return community_; }
    pmc_long version() const { return version_; }
    // Lowers the walk bounds so that tests reach them quickly.
    void set_walk_limits(std::size_t responses, std::size_t octets) {
        walk_max_responses_ = responses;
        walk_max_octets_ = octets;
    }

private:
    virtual ~CPmcGetData();

    bool is_open() const { return pdu_ != nullptr; }
    // Sends the request PDU as type and leaves the answer in it.
    pmc_long exchange(pmc_long type);
    // Keeps what get_error_status reports of an exchange that ended with
    // status; returns status.
    pmc_long note_exchange(pmc_long status);
    // The first binding's value, taken out of the request PDU (null if none).
    pmc::Owned<IPmsValue> pop_value();

    pmc::Owned<IPmsPdu> pdu_;
    pmc::Owned<IPmsSnmpTarget> community_target_;
    pmc::Owned<IPmsSnmpTarget> v3_target_;
    pmc::Owned<CPmcNetworkAddress> address_;
    char community_[PMC_COMMUNITY_CAPACITY];
    pmc_long version_ = PMS_VERSION_1;
    pmc_long error_status_ = PMS_ERR_NO_ERROR;
    pmc_long error_index_ = 0;
    std::size_t walk_max_responses_ = PMC_WALK_MAX_RESPONSES;
    std::size_t walk_max_octets_ = PMC_WALK_MAX_OCTETS;
};

#endif
