// Where and how a message goes: address, version, limits and credentials.
#ifndef PMSNMP_SNMP_TARGET_H
#define PMSNMP_SNMP_TARGET_H

#include <pmsnmp/value.h>

class CPmcNetworkAddress;
class IPmsCommunityTarget;
class IPmsV3Target;

// query_interface identifiers of targets.
constexpr pmc_long PMS_IID_SNMP_TARGET = 0;
constexpr pmc_long PMS_IID_TARGET_BASE = 1;
constexpr pmc_long PMS_IID_COMMUNITY_TARGET = 2;
constexpr pmc_long PMS_IID_COMMUNITY_TARGET_ALT = 3;
constexpr pmc_long PMS_IID_V3_TARGET = 4;
constexpr pmc_long PMS_IID_V3_TARGET_ALT = 5;

// Security kinds (translate types).
constexpr pmc_long PMS_SECURITY_COMMUNITY = 0;
constexpr pmc_long PMS_SECURITY_USM = 1;

// The codec's header operation per target kind, reached through accept().
class IPmsHeaderVisitor {
public:
    virtual pmc_long visit_community_header(IPmsCommunityTarget* target) = 0;
    virtual pmc_long visit_v3_header(IPmsV3Target* target) = 0;

protected:
    ~IPmsHeaderVisitor() = default;
};

class IPmsSnmpTarget {
public:
    virtual pmc_long accept(IPmsHeaderVisitor* visitor) = 0;
    virtual void release() = 0;
    virtual void clear_credentials() = 0;
    virtual IPmsSnmpTarget* clone(pmc_long* status) = 0;
    virtual pmc_long copy_from(IPmsSnmpTarget* source) = 0;
    // Compares the credentials only.
    virtual bool equals(IPmsSnmpTarget* other) = 0;
    virtual pmc_long translate_type() = 0;
    // Not a new reference.
    virtual void query_interface(pmc_long id, void** out) = 0;
    virtual void set_version(pmc_long version) = 0;
    virtual void set_timeout(pmc_long timeout_ms) = 0;
    virtual void set_retries(pmc_long retries) = 0;
    virtual void set_max_message_size(pmc_long size) = 0;
    virtual void set_port(unsigned short port) = 0;
    virtual pmc_long get_version() = 0;
    virtual pmc_long get_timeout() = 0;
    virtual pmc_long get_retries() = 0;
    virtual pmc_long get_max_message_size() = 0;
    virtual unsigned short get_port() = 0;
    // Keeps a clone of address (null leaves none).
    virtual pmc_long set_address(CPmcNetworkAddress* address) = 0;
    virtual CPmcNetworkAddress* get_address() = 0;  // lent

protected:
    ~IPmsSnmpTarget() = default;
};

class IPmsCommunityTarget {
public:
    virtual pmc_long set_community(const char* community) = 0;  // copies; null leaves none
    virtual const char* get_community() = 0;                    // lent, or null
    virtual void release() = 0;

protected:
    ~IPmsCommunityTarget() = default;
};

constexpr pmc_ulong PMS_V3_USER_NAME_MAX = 32;

class IPmsV3Target {
public:
    virtual const char* get_user_name() = 0;
    virtual pmc_long get_security_level() = 0;
    virtual pmc_long get_auth_protocol() = 0;
    virtual pmc_long get_priv_protocol() = 0;
    virtual const char* get_auth_pass_phrase() = 0;
    virtual const char* get_priv_pass_phrase() = 0;
    virtual const char* get_context_name() = 0;
    virtual IPmcByteString* get_engine_id() = 0;  // lent
    virtual pmc_long set_user_name(const char* name) = 0;
    virtual pmc_long set_security_level(pmc_long level) = 0;
    virtual pmc_long set_auth_protocol(pmc_long protocol) = 0;
    virtual pmc_long set_priv_protocol(pmc_long protocol) = 0;
    virtual pmc_long set_auth_pass_phrase(const char* phrase) = 0;
    virtual pmc_long set_priv_pass_phrase(const char* phrase) = 0;
    virtual pmc_long set_context_name(const char* name) = 0;
    virtual pmc_long set_engine_id(const unsigned char* octets, pmc_ulong length) = 0;
    virtual void release() = 0;

protected:
    ~IPmsV3Target() = default;
};

IPmsSnmpTarget* create_community_target(pmc_long* status);
IPmsSnmpTarget* create_v3_target(pmc_long* status);
IPmsSnmpTarget* create_target_for_type(pmc_long translate_type, pmc_long* status);

#endif
