#include "session/v3_open_session.h"

#include <mutex>

#include <net-snmp/library/lcd_time.h>
#include <net-snmp/library/snmpusm.h>

#include "session/v3_library.h"
#include "session/v3_session_fields.h"
#include "session/v3_status.h"
#include "session/v3_transport.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

// The library keeps one user per engine and name and never replaces the
// keys of one it holds: a session opened with a wrong pass phrase would
// speak with the right keys of an earlier one, and a pooled session with
// those of a later one. So the user is made again from the session that is
// about to send. Under the library lock.
pmc_long install_user(netsnmp_session* session) {
    if (session->securityEngineIDLen == 0 || session->securityNameLen == 0) return PMC_S_OK;
    usmUser* held = usm_get_user(session->securityEngineID, session->securityEngineIDLen,
                                 session->securityName);
    if (held != nullptr) {
        usm_remove_user(held);
        if (usm_get_user(session->securityEngineID, session->securityEngineIDLen,
                         session->securityName) == held) {
            return PMC_E_V3_LIBRARY;
        }
        usm_free_user(held);
    }
    session->flags &= ~SNMP_FLAGS_USER_CREATED;
    return usm_create_user_from_session(session) == SNMPERR_SUCCESS ? PMC_S_OK : PMC_E_V3_LIBRARY;
}

}  // namespace

void pms_v3_tell_engine_time(const V3Engine* engine) {
    if (engine == nullptr || engine->id.empty() || (engine->boots == 0 && engine->time == 0)) {
        return;
    }
    set_enginetime(const_cast<u_char*>(engine->id.data()), static_cast<u_int>(engine->id.size()),
                   engine->boots, engine->time_now(), engine->authenticated ? TRUE : FALSE);
}

V3OpenSession::~V3OpenSession() {
    LibraryGuard guard(pms_v3_library_lock());
    if (handle_ != nullptr) snmp_sess_close(handle_);
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
    snmp_sess_session(handle_)->flags |= SNMP_FLAGS_DONT_PROBE;
    pms_v3_tell_engine_time(engine);
    return probe ? PMC_S_OK : install_user(snmp_sess_session(handle_));
}

pmc_long V3OpenSession::reuse(IPmsSnmpTarget* target, const V3Engine* engine) {
    LibraryGuard guard(pms_v3_library_lock());
    netsnmp_session* session = snmp_sess_session(handle_);
    if (session == nullptr) return PMC_E_INVALID_ARG;
    session->retries = target->get_retries();
    session->timeout = static_cast<long>(target->get_timeout()) * 1000L;
    session->s_snmp_errno = SNMPERR_SUCCESS;
    session->s_errno = 0;
    pms_v3_transport_forget_flaw(snmp_sess_transport(handle_));
    pms_v3_tell_engine_time(engine);
    return install_user(session);
}
