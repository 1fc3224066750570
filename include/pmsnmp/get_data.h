// The get-data facade: one object per agent. Included through
// <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_GET_DATA_H
#define PMSNMP_GET_DATA_H

#include <pmsnmp/pdu.h>
#include <pmsnmp/ptr_list.h>

class IPmcGetData {
public:
    virtual void release() = 0;
    virtual void set_community(const char* community) = 0;
    virtual pmc_long open(const char* address, pmc_long address_kind, unsigned short port,
                          pmc_long version, const char* security_name, pmc_long security_level,
                          pmc_long auth_protocol, pmc_long priv_protocol,
                          const char* auth_pass_phrase, const char* priv_pass_phrase,
                          const char* context_name, pmc_long timeout_ms, pmc_long retries,
                          pmc_ulong max_message_size) = 0;
    virtual pmc_long add_get_variable(const char* oid, bool scalar) = 0;
    virtual pmc_long add_set_variable(const char* oid, const char* instance, pmc_long value) = 0;
    virtual pmc_long set() = 0;
    virtual pmc_long walk(IPmcPtrList<IPmsPdu>* responses, const char* root_oid) = 0;
    virtual pmc_long get_string(char* buffer) = 0;
    virtual pmc_long get_integer_array(pmc_long* values, pmc_long count) = 0;
    virtual pmc_long get_integer(pmc_long* value) = 0;
    virtual pmc_long get_address_kind(const char* address, pmc_long* kind) = 0;

protected:
    ~IPmcGetData() = default;
};

#endif
