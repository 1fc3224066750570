// The fields and operations both target kinds share; the kinds add their
// credentials. query_interface identifier 1 reaches this class.
#ifndef PMSNMP_MESSAGE_SNMP_TARGET_BASE_H
#define PMSNMP_MESSAGE_SNMP_TARGET_BASE_H

#include <pmsnmp/owned.h>

#include "message/snmp_target.h"
#include "net/network_address.h"

class CPmsSnmpTargetBase : public IPmsSnmpTarget {
public:
    CPmsSnmpTargetBase(const CPmsSnmpTargetBase&) = delete;
    CPmsSnmpTargetBase& operator=(const CPmsSnmpTargetBase&) = delete;

    IPmsSnmpTarget* clone(pmc_long* status) override;
    pmc_long copy_from(IPmsSnmpTarget* source) override;
    void query_interface(pmc_long id, void** out) override;

    void set_version(pmc_long version) override { version_ = version; }
    void set_timeout(pmc_long timeout_ms) override { timeout_ms_ = timeout_ms; }
    void set_retries(pmc_long retries) override { retries_ = retries; }
    void set_max_message_size(pmc_long size) override { max_message_size_ = size; }
    void set_port(unsigned short port) override { port_ = port; }
    pmc_long get_version() override { return version_; }
    pmc_long get_timeout() override { return timeout_ms_; }
    pmc_long get_retries() override { return retries_; }
    pmc_long get_max_message_size() override { return max_message_size_; }
    unsigned short get_port() override { return port_; }

    pmc_long set_address(CPmcNetworkAddress* address) override;
    CPmcNetworkAddress* get_address() override { return address_.get(); }

protected:
    CPmsSnmpTargetBase() = default;
    virtual ~CPmsSnmpTargetBase() = default;

    // A new, empty target of this kind.
    virtual IPmsSnmpTarget* create_same_kind(pmc_long* status) = 0;
    // This kind's interface for identifiers 2 to 5, null for the other kind's.
    virtual void* kind_interface(pmc_long id) = 0;
    // Copies the credentials of a source of this kind; -2 for another kind.
    virtual pmc_long copy_credentials(IPmsSnmpTarget* source) = 0;

private:
    pmc_long version_ = -1;
    pmc_long timeout_ms_ = -1;
    pmc_long retries_ = 0;
    pmc_long max_message_size_ = 0;
    pmc::Owned<CPmcNetworkAddress> address_;
    unsigned short port_ = 0;
};

#endif
