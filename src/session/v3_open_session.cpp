#include "session/v3_open_session.h"

#include <algorithm>
#include <mutex>

#include <net-snmp/library/lcd_time.h>
#include <net-snmp/library/snmpusm.h>

#include "session/v3_library.h"
#include "session/v3_session_fields.h"
#include "session/v3_status.h"
#include "session/v3_transport.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

usmUser* held_user(netsnmp_session* session) {
    return usm_get_user(session->securityEngineID, session->securityEngineIDLen,
                        session->securityName);
}

// A user's localised keys, one after the other.
std::vector<u_char> keys_of(const usmUser* user) {
    std::vector<u_char> keys;
    if (user->authKey != nullptr) keys.assign(user->authKey, user->authKey + user->authKeyLen);
    if (user->privKey != nullptr) keys.insert(keys.end(), user->privKey, user->privKey + user->privKeyLen);
    return keys;
}

bool holds_keys(const usmUser* user, const std::vector<u_char>& keys) {
    const std::size_t auth = user->authKey != nullptr ? user->authKeyLen : 0;
    const std::size_t priv = user->privKey != nullptr ? user->privKeyLen : 0;
    return !keys.empty() && keys.size() == auth + priv &&
           std::equal(user->authKey, user->authKey + auth, keys.begin()) &&
           std::equal(user->privKey, user->privKey + priv, keys.begin() + auth);
}

void wipe(std::vector<u_char>* keys) {
    volatile u_char* at = keys->data();
    for (std::size_t i = 0; i < keys->size(); ++i) at[i] = 0;
    keys->clear();
}

}  // namespace

void pms_v3_tell_engine_time(const V3Engine* engine) {
    if (engine == nullptr || engine->id.empty() || (engine->boots == 0 && engine->time == 0)) {
        return;
    }
    auto* id = const_cast<u_char*>(engine->id.data());
    const auto length = static_cast<u_int>(engine->id.size());
    u_int boots = 0;
    u_int time = 0;
    if (get_enginetime(id, length, &boots, &time, FALSE) == SNMPERR_SUCCESS &&
        (boots != 0 || time != 0)) {
        return;
    }
    set_enginetime(id, length, engine->boots, engine->time_now(),
                   engine->authenticated ? TRUE : FALSE);
}

V3OpenSession::~V3OpenSession() {
    wipe(&user_keys_);
    LibraryGuard guard(pms_v3_library_lock());
    if (handle_ == nullptr) return;
    snmp_sess_close(handle_);
    pms_v3_library_session_closed();
}

// The library keeps one user per engine and name and never replaces the
// keys of one it holds: a session opened with a wrong pass phrase would
// speak with the right keys of an earlier one, and a pooled session with
// those of a later one. So the user is made again from the session that is
// about to send, when it holds other keys. Under the library lock.
pmc_long V3OpenSession::install_user() {
    netsnmp_session* session = snmp_sess_session(handle_);
    if (session->securityEngineIDLen == 0 || session->securityNameLen == 0) return PMC_S_OK;
    usmUser* held = held_user(session);
    if (held != nullptr && holds_keys(held, user_keys_)) return PMC_S_OK;
    if (held != nullptr) {
        usm_remove_user(held);
        if (held_user(session) == held) return PMC_E_V3_LIBRARY;
        usm_free_user(held);
    }
    session->flags &= ~SNMP_FLAGS_USER_CREATED;
    if (usm_create_user_from_session(session) != SNMPERR_SUCCESS) return PMC_E_V3_LIBRARY;
    held = held_user(session);
    wipe(&user_keys_);
    try {
        if (held != nullptr) user_keys_ = keys_of(held);
    } catch (...) {
        // Made again next time.
    }
    return PMC_S_OK;
}

pmc_long V3OpenSession::open(IPmsSnmpTarget* target, const V3Engine* engine, bool probe) {
    CPmcNetworkAddress* address = target->get_address();
    if (address == nullptr) return PMC_E_INVALID_ARG;
    CPmcNetworkAddress* copy = nullptr;
    pmc_long status = address->clone(&copy);
    destination_.reset(copy);
    if (status != PMC_S_OK) return status;
    if (destination_->get_port() == 0) destination_->set_port(target->get_port());

    netsnmp_session session;
    V3SessionFields fields;
    {
        LibraryGuard guard(pms_v3_library_lock());
        snmp_sess_init(&session);
    }
    status = fields.fill(target, &session);
    if (status != PMC_S_OK) return status;
    session.flags |= SNMP_FLAGS_DONT_PROBE;
    if (engine != nullptr && !engine->id.empty()) {
        session.securityEngineID = const_cast<u_char*>(engine->id.data());
        session.securityEngineIDLen = engine->id.size();
    }

    DataGramSocket* socket = nullptr;
    status = pmc_create_datagram_socket(destination_->get_kind(), 0, &socket);
    socket_.reset(socket);
    if (status != PMC_S_OK) return status;
    if (probe) socket_->set_broadcast(true);

    netsnmp_transport* transport = pms_v3_transport_new(socket_.get(), destination_.get());
    if (transport == nullptr) return PMC_E_NO_MEMORY;
    LibraryGuard guard(pms_v3_library_lock());
    // Takes the transport, also when it fails; sends nothing.
    handle_ = snmp_sess_add(&session, transport, nullptr, nullptr);
    if (handle_ == nullptr) {
        pms_v3_report_session_failure("snmp_open", &session);
        return PMC_E_INVALID_ARG;
    }
    // The opened session forgets the flag; without it the first send would
    // probe, waiting under the library lock.
    pms_v3_library_session_opened();
    snmp_sess_session(handle_)->flags |= SNMP_FLAGS_DONT_PROBE;
    pms_v3_tell_engine_time(engine);
    return probe ? PMC_S_OK : install_user();
}

pmc_long V3OpenSession::reuse(IPmsSnmpTarget* target) {
    LibraryGuard guard(pms_v3_library_lock());
    netsnmp_session* session = snmp_sess_session(handle_);
    if (session == nullptr) return PMC_E_INVALID_ARG;
    session->retries = target->get_retries();
    session->timeout = static_cast<long>(target->get_timeout()) * 1000L;
    session->s_snmp_errno = SNMPERR_SUCCESS;
    session->s_errno = 0;
    pms_v3_transport_forget_flaw(snmp_sess_transport(handle_));
    return install_user();
}
