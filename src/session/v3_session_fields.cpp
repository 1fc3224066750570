#include "session/v3_session_fields.h"

#include <algorithm>
#include <cstring>

#include "session/v3_key_cache.h"
#include "session/v3_status.h"

namespace {

constexpr size_t kProtocolLength = 10;
// usmHMACMD5AuthProtocol, usmHMACSHAAuthProtocol, usmDESPrivProtocol,
// usmAESPrivProtocol (RFC 3414, RFC 3826).
const oid kAuthMd5[kProtocolLength] = {1, 3, 6, 1, 6, 3, 10, 1, 1, 2};
const oid kAuthSha[kProtocolLength] = {1, 3, 6, 1, 6, 3, 10, 1, 1, 3};
const oid kPrivDes[kProtocolLength] = {1, 3, 6, 1, 6, 3, 10, 1, 2, 2};
const oid kPrivAes[kProtocolLength] = {1, 3, 6, 1, 6, 3, 10, 1, 2, 4};

const oid* auth_protocol(pmc_long code) {
    if (code == PMS_AUTH_MD5) return kAuthMd5;
    if (code == PMS_AUTH_SHA) return kAuthSha;
    return nullptr;
}

const oid* priv_protocol(pmc_long code) {
    if (code == PMS_PRIV_DES) return kPrivDes;
    if (code == PMS_PRIV_AES) return kPrivAes;
    return nullptr;
}

struct Level {
    pmc_long code;
    int library;
};
const Level kLevels[] = {
    {PMS_SEC_NO_AUTH_NO_PRIV, SNMP_SEC_LEVEL_NOAUTH},
    {PMS_SEC_AUTH_NO_PRIV, SNMP_SEC_LEVEL_AUTHNOPRIV},
    {PMS_SEC_AUTH_PRIV, SNMP_SEC_LEVEL_AUTHPRIV},
};

IPmsV3Target* v3_view(IPmsSnmpTarget* target) {
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    return static_cast<IPmsV3Target*>(view);
}

// A key from a pass phrase: an empty one gives no key, a failure is
// reported and mapped.
pmc_long make_key(const oid* hash, const char* phrase, u_char* key, size_t* key_length) {
    if (phrase == nullptr) return PMC_S_OK;
    if (phrase[0] == '\0') {
        *key_length = 0;
        return PMC_S_OK;
    }
    *key_length = USM_AUTH_KU_LEN;
    const int result = V3KeyCache::process().derive(
        hash, kProtocolLength, reinterpret_cast<const u_char*>(phrase), std::strlen(phrase), key,
        key_length);
    if (result == SNMPERR_SUCCESS) return PMC_S_OK;
    pms_v3_report_failure("generate_Ku", nullptr);
    const pmc_long status = pms_v3_status_of_library_error(result);
    return status != PMC_S_OK ? status : PMC_E_V3_LIBRARY;
}

}  // namespace

pmc_long pms_v3_level_code(int library_level) {
    for (const Level& level : kLevels) {
        if (level.library == library_level) return level.code;
    }
    return -1;
}

int pms_v3_library_level(pmc_long level_code) {
    for (const Level& level : kLevels) {
        if (level.code == level_code) return level.library;
    }
    return -1;
}

long pms_v3_library_version(pmc_long version_code) {
    if (version_code == PMS_VERSION_1) return SNMP_VERSION_1;
    if (version_code == PMS_VERSION_2C) return SNMP_VERSION_2c;
    if (version_code == PMS_VERSION_3) return SNMP_VERSION_3;
    return -1;
}

pmc_long pms_v3_peer_text(CPmcNetworkAddress* address, unsigned short fallback_port,
                          std::string* peer) {
    if (address == nullptr || address->get_text() == nullptr) return PMC_E_INVALID_ARG;
    const std::string text = address->get_text();
    const unsigned short port = address->get_port() != 0 ? address->get_port() : fallback_port;
    const std::string port_text = std::to_string(port);
    switch (address->get_kind()) {
    case PMC_ADDRESS_IPV6:
        *peer = "udp6:[" + text + "]" + (port != 0 ? ":" + port_text : "");
        return PMC_S_OK;
    case PMC_ADDRESS_IPV4:
        *peer = text + (port != 0 ? ":" + port_text : "");
        return PMC_S_OK;
    case PMC_ADDRESS_IPX:
        *peer = "ipx:" + text + (port != 0 ? "/" + port_text : "");
        return PMC_S_OK;
    default:
        return PMC_E_INVALID_ARG;
    }
}

pmc_long pms_v3_agent_key(CPmcNetworkAddress* address, unsigned short fallback_port,
                          std::string* key) {
    if (address == nullptr) return PMC_E_INVALID_ARG;
    const unsigned short port = address->get_port() != 0 ? address->get_port() : fallback_port;
    try {
        *key = pmc_host_key(address);
        key->append(1, static_cast<char>(port >> 8)).append(1, static_cast<char>(port & 0xFF));
    } catch (...) {
        return PMC_E_NO_MEMORY;
    }
    return PMC_S_OK;
}

pmc_long V3SessionFields::fill(IPmsSnmpTarget* target, netsnmp_session* session) {
    IPmsV3Target* v3 = v3_view(target);
    if (v3 == nullptr || pms_v3_library_version(target->get_version()) != SNMP_VERSION_3) {
        return PMC_E_INVALID_ARG;
    }
    session->version = SNMP_VERSION_3;
    session->retries = target->get_retries();
    session->timeout = static_cast<long>(target->get_timeout()) * 1000L;

    const char* name = v3->get_user_name();
    if (name != nullptr && name[0] != '\0') {
        // Cutting a longer name would speak for another user.
        if (std::strlen(name) > PMS_V3_USER_NAME_MAX) return PMC_E_INVALID_ARG;
        std::strcpy(security_name_, name);
        session->securityName = security_name_;
        session->securityNameLen = std::strlen(security_name_);
    }
    pmc_long status = fill_security(v3, session);
    if (status != PMC_S_OK) return status;

    const char* context = v3->get_context_name();
    if (context != nullptr && context[0] != '\0') {
        context_ = context;
        session->contextName = context_.data();
        session->contextNameLen = context_.size();
    }
    status = pms_v3_peer_text(target->get_address(), target->get_port(), &peer_);
    if (status != PMC_S_OK) return status;
    session->peername = peer_.data();

    IPmcByteString* engine = v3->get_engine_id();
    if (engine != nullptr && engine->get_length() > 0) {
        engine_id_.assign(engine->get_data(), engine->get_data() + engine->get_length());
        session->securityEngineID = engine_id_.data();
        session->securityEngineIDLen = engine_id_.size();
    }
    return PMC_S_OK;
}

pmc_long V3SessionFields::fill_security(IPmsV3Target* v3, netsnmp_session* session) {
    const int level = pms_v3_library_level(v3->get_security_level());
    if (level < 0) return PMC_E_INVALID_ARG;
    session->securityLevel = level;
    if (level == SNMP_SEC_LEVEL_NOAUTH) return PMC_S_OK;
    pmc_long status = set_protocol(auth_protocol(v3->get_auth_protocol()), auth_protocol_,
                                   &session->securityAuthProto, &session->securityAuthProtoLen);
    if (status == PMC_S_OK) {
        status = make_key(auth_protocol_, v3->get_auth_pass_phrase(), session->securityAuthKey,
                          &session->securityAuthKeyLen);
    }
    if (status != PMC_S_OK || level != SNMP_SEC_LEVEL_AUTHPRIV) return status;
    status = set_protocol(priv_protocol(v3->get_priv_protocol()), priv_protocol_,
                          &session->securityPrivProto, &session->securityPrivProtoLen);
    if (status != PMC_S_OK) return status;
    // The privacy key is localised with the authentication hash.
    return make_key(auth_protocol_, v3->get_priv_pass_phrase(), session->securityPrivKey,
                    &session->securityPrivKeyLen);
}

pmc_long V3SessionFields::set_protocol(const oid* protocol, oid* store, oid** field,
                                       size_t* length) {
    if (protocol == nullptr) return PMC_E_INVALID_ARG;
    std::copy(protocol, protocol + kProtocolLength, store);
    *field = store;
    *length = kProtocolLength;
    return PMC_S_OK;
}
