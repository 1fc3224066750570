#include "session/v3_request_session.h"

#include <chrono>
#include <new>
#include <string>
#include <vector>

#include <net-snmp/library/lcd_time.h>

#include "log/component_log.h"
#include "net/network_address.h"
#include "session/packet_parts.h"
#include "session/request_id_counter.h"
#include "session/user_session.h"
#include "session/v3_engine_cache.h"
#include "session/v3_library.h"
#include "session/v3_session_fields.h"
#include "session/v3_request_builder.h"
#include "session/v3_response_converter.h"
#include "session/v3_status.h"
#include "session/v3_synch_response.h"
#include "session/v3_transport.h"

namespace {

// What the library expects from a callback that wants to go on waiting.
constexpr int kKeepWaiting = 2;

// Statuses with which one engine of a broadcast is passed over.
bool skips_engine(pmc_long status) {
    return status == PMC_E_DECODE || status == PMC_E_SECURITY || status == PMC_E_RECEIVE ||
           status == PMC_E_TIMEOUT;
}

int library_error_of(void* handle) {
    netsnmp_session* session = snmp_sess_session(handle);
    return session != nullptr ? session->s_snmp_errno : SNMPERR_GENERR;
}

// Keeps what was refused; a later step that refuses nothing leaves it.
void note(PmsSecurityRefusal* refusal, PmsSecurityRefusal reason) {
    if (reason != PmsSecurityRefusal::kNone) *refusal = reason;
}

// The status of a finished exchange: its own, else the session's error. A
// time-out after answers the library dropped as flawed says so.
pmc_long exchange_status(int result, void* handle, PmsSecurityRefusal* refusal) {
    if (result == STAT_SUCCESS) return PMC_S_OK;
    if (result != STAT_TIMEOUT) {
        const int library_error = library_error_of(handle);
        note(refusal, pms_v3_refusal_of_library_error(library_error));
        return pms_v3_status_of_library_error(library_error);
    }
    const PmsSecurityRefusal flaw = pms_v3_transport_flaw(snmp_sess_transport(handle));
    if (flaw == PmsSecurityRefusal::kNone) return PMC_E_TIMEOUT;
    note(refusal, flaw);
    return PMC_E_DECODE;
}

// Reports that say the engine we spoke to is not the agent's now: it was
// replaced, or restarted with new boots (RFC 3414 4).
bool stale_engine(int library_error) {
    return library_error == SNMPERR_UNKNOWN_ENG_ID || library_error == SNMPERR_NOT_IN_TIME_WINDOW;
}

V3Deadline deadline_of(IPmsSnmpTarget* target) {
    const long long retries = target->get_retries() > 0 ? target->get_retries() : 0;
    const long long tries = retries + 1;
    return std::chrono::steady_clock::now() +
           std::chrono::milliseconds(tries * static_cast<long long>(target->get_timeout()));
}

std::vector<u_char> engine_id_of(IPmsSnmpTarget* target) {
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    IPmcByteString* id = view != nullptr ? static_cast<IPmsV3Target*>(view)->get_engine_id() : nullptr;
    if (id == nullptr || id->get_length() == 0) return {};
    return std::vector<u_char>(id->get_data(), id->get_data() + id->get_length());
}

// How long the boots and time kept for an engine are counted on before
// they are read again from the library, which every answer updates; ours
// serve only a session opened after the library forgot its own.
constexpr std::chrono::seconds kRelearnAfter{10};

bool stale_time(const V3Engine& engine) {
    return !engine.authenticated ||
           std::chrono::steady_clock::now() - engine.learned > kRelearnAfter;
}

// The boots and time the library holds for engine now, after an exchange
// in which it may have learned them. Under the library lock.
void learn_time(V3Engine* engine) {
    u_int boots = 0;
    u_int time = 0;
    const u_int length = static_cast<u_int>(engine->id.size());
    get_enginetime(engine->id.data(), length, &boots, &time, TRUE);
    engine->authenticated = boots != 0 || time != 0;
    if (!engine->authenticated) get_enginetime(engine->id.data(), length, &boots, &time, FALSE);
    engine->boots = boots;
    engine->time = time;
    engine->learned = std::chrono::steady_clock::now();
}

// RFC 3414 4: a noAuthNoPriv probe with an empty user and engine
// identifier, answered by a report that carries the engine identifier.
// Our own exchange, so that no other thread waits while this one does.
pmc_long discover(IPmsSnmpTarget* target, V3Deadline deadline, V3Engine* engine,
                  PmsSecurityRefusal* refusal) {
    V3RequestBuilder builder(true);
    pmc_long status = builder.open(target);
    if (status == PMC_S_OK) status = builder.build(nullptr);
    if (status != PMC_S_OK) return status;
    {
        std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
        snmp_sess_session(builder.handle())->myvoid = engine;
    }
    netsnmp_pdu* response = nullptr;
    const int result = snmp_sess_synch_response_cb(builder.handle(), builder.detach_pdu(),
                                                   &response, probe_callback, deadline);
    status = exchange_status(result, builder.handle(), refusal);
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    if (response != nullptr) snmp_free_pdu(response);
    if (status != PMC_S_OK) {
        pms_v3_report_failure("snmp_sess_synch_response_cb", builder.handle());
        return status;
    }
    learn_time(engine);
    return PMC_S_OK;
}

bool collected(const V3EngineList& engines, CPmcNetworkAddress* source) {
    for (const pmc::Owned<IPmsSnmpTarget>& engine : engines) {
        if (source->equals(engine->get_address())) return true;
    }
    return false;
}

void collect_engine(V3EngineList* engines, const netsnmp_pdu* pdu) {
    pmc::Owned<CPmcNetworkAddress> address(
        pms_v3_source_address_new(pdu->transport_data, pdu->transport_data_length));
    if (!address) return;
    address->set_port(0);  // each engine is asked on the port the broadcast went to
    if (collected(*engines, address.get())) return;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsSnmpTarget> engine(create_v3_target(&status));
    if (!engine || engine->set_address(address.get()) != PMC_S_OK) return;
    void* view = nullptr;
    engine->query_interface(PMS_IID_V3_TARGET, &view);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    if (v3->set_engine_id(pdu->securityEngineID,
                          static_cast<pmc_ulong>(pdu->securityEngineIDLen)) != PMC_S_OK) {
        return;
    }
    try {
        engines->push_back(std::move(engine));
    } catch (...) {
    }
}

// The template target aimed at one discovered engine.
pmc_long aim_at_engine(IPmsSnmpTarget* clone, IPmsSnmpTarget* engine, unsigned short port) {
    CPmcNetworkAddress* copy = nullptr;
    pmc_long status = engine->get_address()->clone(&copy);
    pmc::Owned<CPmcNetworkAddress> address(copy);
    if (status != PMC_S_OK) return status;
    if (address->get_port() == 0) address->set_port(port);
    status = clone->set_address(address.get());
    void* view = nullptr;
    engine->query_interface(PMS_IID_V3_TARGET, &view);
    IPmcByteString* id = static_cast<IPmsV3Target*>(view)->get_engine_id();
    clone->query_interface(PMS_IID_V3_TARGET, &view);
    if (status == PMC_S_OK) {
        status = static_cast<IPmsV3Target*>(view)->set_engine_id(id->get_data(), id->get_length());
    }
    return status;
}

}  // namespace

int broadcast_callback(int operation, netsnmp_session* session, int request_id,
                       netsnmp_pdu* pdu, void* magic) {
    PmcTraceScope scope(pmc_snmp_log(), "broadcast_callback");
    auto* state = static_cast<synch_state*>(magic);
    const bool ours = request_id == state->reqid || pdu == nullptr ||
                      pdu->command == SNMP_MSG_REPORT;
    if (!ours) return kKeepWaiting;
    auto* engines = static_cast<V3EngineList*>(session->myvoid);
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr) {
        collect_engine(engines, pdu);
    } else if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT) {
        state->waiting = 0;
        state->status = STAT_SUCCESS;
        if (engines->empty()) {
            state->status = STAT_TIMEOUT;
            session->s_snmp_errno = SNMPERR_TIMEOUT;
        }
    } else if (operation == NETSNMP_CALLBACK_OP_DISCONNECT) {
        state->waiting = 0;
        state->pdu = nullptr;
        state->status = STAT_ERROR;
        session->s_snmp_errno = SNMPERR_ABORT;
    }
    return kKeepWaiting;
}

v3RequestSession* create_v3_request_session(pmc_long* status) {
    v3RequestSession* session = new (std::nothrow) v3RequestSession();
    if (status != nullptr) *status = session != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return session;
}

IPmsUserSession* create_user_session(pmc_long* status) { return create_v3_request_session(status); }

void v3RequestSession::release() { delete this; }

pmc_long v3RequestSession::send_sync(IPmsSnmpPacket* packet) {
    PmcTraceScope scope(pmc_snmp_log(), "v3RequestSession::send_sync(IPmsSnmpPacket*)");
    return pms_on_packet_parts(packet, [this](IPmsPdu* pdu, IPmsSnmpTarget* target) {
        return send_sync(pdu, target);
    });
}

pmc_long v3RequestSession::send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) {
    PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone;
    return send_sync_with_refusal(pdu, target, &refusal);
}

pmc_long v3RequestSession::send_sync_with_refusal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                                  PmsSecurityRefusal* refusal) {
    V3LibraryUse library;
    PmcTraceScope scope(pmc_snmp_log(), "v3RequestSession::send_sync(IPmsSnmpPacket*)");
    *refusal = PmsSecurityRefusal::kNone;
    return send_sync_internal(pdu, target, refusal);
}

pmc_long v3RequestSession::send_sync_internal(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                              PmsSecurityRefusal* refusal) {
    PmcTraceScope scope(pmc_snmp_log(),
                        "v3RequestSession::send_sync_internal(IPmsPdu*, IPmsSnmpTarget*)");
    if (pdu == nullptr || target == nullptr) return PMC_E_INVALID_ARG;
    pdu->set_request_id(pms_next_request_id());
    const V3Deadline deadline = deadline_of(target);
    std::string agent;
    pmc_long status = pms_v3_agent_key(target->get_address(), target->get_port(), &agent);
    if (status != PMC_S_OK) return status;
    V3EngineCache& cache = V3EngineCache::process();
    const std::vector<u_char> wanted = engine_id_of(target);
    V3Engine engine;
    bool discovered = false;
    if (!cache.find(agent, wanted, &engine)) {
        engine.id = wanted;
        if (wanted.empty()) {
            status = discover(target, deadline, &engine, refusal);
            if (status != PMC_S_OK) return status;
            discovered = true;
        }
    }
    int library_error = SNMPERR_SUCCESS;
    status = exchange(pdu, target, agent, &engine, deadline, &library_error, refusal);
    if (status != PMC_S_OK && stale_engine(library_error) && !discovered) {
        // Once, as RFC 3414 4 asks: the agent restarted or was replaced.
        cache.forget(agent);
        engine = V3Engine();
        status = discover(target, deadline, &engine, refusal);
        if (status == PMC_S_OK) {
            status = exchange(pdu, target, agent, &engine, deadline, &library_error, refusal);
        }
    }
    if (status == PMC_S_OK) cache.store(agent, engine);
    return status;
}

pmc_long v3RequestSession::exchange(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                    const std::string& agent, V3Engine* engine,
                                    V3Deadline deadline, int* library_error,
                                    PmsSecurityRefusal* refusal) {
    V3RequestBuilder builder(false);
    pmc_long status = builder.open(target, engine, &agent);
    if (status == PMC_S_OK) status = builder.build(pdu);
    if (status != PMC_S_OK) return status;

    netsnmp_pdu* response = nullptr;
    const int result = snmp_sess_synch_response_cb(builder.handle(), builder.detach_pdu(),
                                                   &response, nullptr, deadline);
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    *library_error = library_error_of(builder.handle());
    status = exchange_status(result, builder.handle(), refusal);
    if (status != PMC_S_OK) pms_v3_report_failure("snmp_synch_response", builder.handle());
    if (status == PMC_S_OK && response == nullptr) status = PMC_E_RECEIVE;
    if (status == PMC_S_OK) builder.keep();
    if (status == PMC_S_OK && !engine->id.empty() && stale_time(*engine)) learn_time(engine);
    if (status == PMC_S_OK && response != nullptr && response->errstat == SNMP_ERR_TOOBIG) {
        // As over SNMPv1/v2c: the request stays as it was, for the caller
        // to ask for less.
        status = PMC_E_TOO_BIG;
    } else if (response != nullptr) {
        const pmc_long converted = pms_v3_convert_response(response, pdu, target, refusal);
        if (status == PMC_S_OK) status = converted;
    }
    if (response != nullptr) snmp_free_pdu(response);
    return status;
}

pmc_long v3RequestSession::get_engine_id_broad_cast(IPmsSnmpTarget* target,
                                                    V3EngineList* engines) {
    PmcTraceScope scope(pmc_snmp_log(), "v3RequestSession::get_engine_id_broad_cast");
    if (target == nullptr || engines == nullptr) return PMC_E_INVALID_ARG;
    V3RequestBuilder builder(true);
    pmc_long status = builder.open(target);
    if (status == PMC_S_OK) status = builder.build(nullptr);
    if (status != PMC_S_OK) return status;
    {
        std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
        snmp_sess_session(builder.handle())->myvoid = engines;
    }
    netsnmp_pdu* response = nullptr;
    const int result = snmp_sess_synch_response_cb(builder.handle(), builder.detach_pdu(),
                                                   &response, broadcast_callback);
    PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone;  // no one request's to tell
    status = exchange_status(result, builder.handle(), &refusal);
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    if (response != nullptr) snmp_free_pdu(response);
    if (status == PMC_E_TIMEOUT) return PMC_S_OK;  // nobody answered
    if (status != PMC_S_OK) pms_v3_report_failure("snmp_sess_synch_response_cb", builder.handle());
    return status;
}

pmc_long v3RequestSession::send_broad_cast_sync(IPmsSnmpPacket* packet,
                                                IPmsSnmpPacketList** replies) {
    PmcTraceScope scope(pmc_snmp_log(),
                        "v3RequestSession::send_broad_cast_sync(IPmsSnmpPacket*, IPmsSnmpPacketList**)");
    return pms_on_packet_parts(packet, [this, replies](IPmsPdu* pdu, IPmsSnmpTarget* target) {
        return send_broad_cast_sync(pdu, target, replies);
    });
}

pmc_long v3RequestSession::send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                                IPmsSnmpPacketList** replies) {
    V3LibraryUse library;
    PmcTraceScope scope(pmc_snmp_log(),
                        "v3RequestSession::send_broad_cast_sync(IPmsPdu*, IPmsSnmpTarget*, IPmsSnmpPacketList**)");
    if (pdu == nullptr || target == nullptr || replies == nullptr) return PMC_E_INVALID_ARG;
    V3EngineList engines;
    pmc_long status = get_engine_id_broad_cast(target, &engines);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmsSnmpPacketList> list(create_packet_list(&status));
    if (!list) return status;
    status = send_to_engines(pdu, target, engines, list.get());
    if (status != PMC_S_OK) return status;
    *replies = list.release();
    return PMC_S_OK;
}

pmc_long v3RequestSession::send_to_engines(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                           const V3EngineList& engines,
                                           IPmsSnmpPacketList* replies) {
    CPmcNetworkAddress* asked = target->get_address();
    const unsigned short port = asked != nullptr && asked->get_port() != 0 ? asked->get_port()
                                                                           : target->get_port();
    for (const pmc::Owned<IPmsSnmpTarget>& engine : engines) {
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsSnmpTarget> aimed(target->clone(&status));
        pmc::Owned<IPmsPdu> request(aimed ? pdu->clone(&status) : nullptr);
        if (!request) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        status = aim_at_engine(aimed.get(), engine.get(), port);
        PmsSecurityRefusal refusal = PmsSecurityRefusal::kNone;  // the engine is skipped
        if (status == PMC_S_OK) status = send_sync_internal(request.get(), aimed.get(), &refusal);
        if (skips_engine(status)) continue;
        if (status != PMC_S_OK) return status;
        pmc::Owned<IPmsSnmpPacket> packet(create_packet(&status));
        if (!packet) return status;
        packet->set_pdu(request.release());
        packet->set_target(aimed.release());
        status = replies->add(packet.get());
        if (status != PMC_S_OK) return status;
        packet.release();
    }
    return PMC_S_OK;
}
