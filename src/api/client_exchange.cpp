#include "api/client_exchange.h"

#include "message/list_cursor.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"
#include "net/network_address.h"
#include "message/snmp_target.h"
#include "session/session_dispatcher.h"
#include "session/user_session.h"
#include "value/value_factory.h"

namespace NPmcClient {

namespace {

pmc_long add_binding(IPmsPdu* pdu, const Binding& binding) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsOid> name(binding.oid.make(&status));
    if (!name) return status;
    pmc::Owned<IPmsValue> value;
    if (binding.type == PMS_TYPE_INTEGER) {
        value.reset(pms_create_value_from_int(static_cast<pmc_long>(binding.number),
                                              PMS_TYPE_INTEGER, &status));
        if (!value) return status;
    }
    // A failed add takes nothing: both stay ours to release.
    status = pdu->add_varbind(name.get(), value.get());
    if (status != PMC_S_OK) return status;
    name.release();
    value.release();
    return PMC_S_OK;
}

pmc_long make_pdu(const Bindings& request, pmc::Owned<IPmsPdu>* pdu) {
    pmc_long status = PMC_S_OK;
    pdu->reset(create_pdu(&status));
    if (!*pdu) return status;
    for (const Binding& binding : request) {
        status = add_binding(pdu->get(), binding);
        if (status != PMC_S_OK) return status;
    }
    return PMC_S_OK;
}

pmc_long make_request(const TargetOptions& options, const Bindings& request,
                      pmc::Owned<IPmsSnmpTarget>* target, pmc::Owned<IPmsPdu>* pdu) {
    const pmc_long status = make_target(options, target);
    return status != PMC_S_OK ? status : make_pdu(request, pdu);
}

void fill_result(IPmsPdu* answer, ExchangeResult* result) {
    result->error_status = answer->get_error_status();
    result->error_index = answer->get_error_index();
    IPmsVarBindList* list = answer->get_varbind_list();
    const pmc_ulong count = list != nullptr ? list->count() : 0;
    for (pmc_ulong i = 0; i < count; ++i) result->bindings.push_back(binding_of(list->get_at(i)));
}

}  // namespace

const char* security_refusal(PmsSecurityRefusal refusal) {
    switch (refusal) {
    case PmsSecurityRefusal::kUnknownUser:
        return "unknown user";
    case PmsSecurityRefusal::kAuthentication:
        return "authentication failed";
    case PmsSecurityRefusal::kPrivacy:
        return "decryption failed";
    case PmsSecurityRefusal::kSecurityLevel:
        return "security level not allowed for this user";
    case PmsSecurityRefusal::kTimeWindow:
        return "not in time window";
    case PmsSecurityRefusal::kUnknownEngine:
        return "unknown engine ID";
    case PmsSecurityRefusal::kMessageVersion:
        return "answer in an unknown SNMP message version";
    case PmsSecurityRefusal::kMessageSize:
        return "answer with a msgMaxSize below 484";
    case PmsSecurityRefusal::kNone:
        break;
    }
    return "";
}

IPmsVarBind* first_binding(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->get_at(0) : nullptr;
}

pmc_long exchange_pdu(IPmsPdu* pdu, pmc_long pdu_type, IPmsSnmpTarget* target,
                      SessionDispatcher* dispatcher, PmsSecurityRefusal* refusal) {
    pmc::Owned<SessionDispatcher> own;
    if (dispatcher == nullptr) {
        pmc_long status = PMC_S_OK;
        own.reset(create_session_dispatcher(&status));
        if (!own) return status;
        dispatcher = own.get();
    }
    pdu->set_type(pdu_type);
    PmsSecurityRefusal ignored = PmsSecurityRefusal::kNone;
    return dispatcher->send_sync_with_refusal(pdu, target, refusal != nullptr ? refusal : &ignored);
}

pmc_long OwnedRoad::open(const TargetOptions& options) {
    pmc_long status = make_target(options, &target_);
    if (status != PMC_S_OK) return status;
    dispatcher_.reset(create_session_dispatcher(&status));
    if (!dispatcher_) return status;
    road_ = Road{target_.get(), dispatcher_.get(), message_size_limit(options.address_kind, options.max_message_size)};
    return PMC_S_OK;
}

OwnedRoad::OwnedRoad() = default;
OwnedRoad::~OwnedRoad() = default;

ExchangeResult exchange(const Road& road, pmc_long pdu_type, const Bindings& request) {
    ExchangeResult result;
    pmc::Owned<IPmsPdu> pdu;
    result.status = make_pdu(request, &pdu);
    if (result.status != PMC_S_OK) return result;
    result.status = exchange_pdu(pdu.get(), pdu_type, road.target, road.dispatcher, &result.refusal);
    if (result.status == PMC_S_OK) fill_result(pdu.get(), &result);
    return result;
}

ExchangeResult exchange(const TargetOptions& options, pmc_long pdu_type, const Bindings& request) {
    OwnedRoad road;
    ExchangeResult result;
    result.status = road.open(options);
    return result.status != PMC_S_OK ? result : exchange(road.road(), pdu_type, request);
}

BroadcastResult broadcast(const TargetOptions& options, pmc_long pdu_type, const Bindings& request) {
    BroadcastResult result;
    pmc::Owned<IPmsSnmpTarget> target;
    pmc::Owned<IPmsPdu> pdu;
    result.status = make_request(options, request, &target, &pdu);
    if (result.status != PMC_S_OK) return result;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&result.status));
    if (!dispatcher) return result;
    pdu->set_type(pdu_type);
    IPmsSnmpPacketList* list = nullptr;
    result.status = dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &list);
    pmc::Owned<IPmsSnmpPacketList> replies(list);
    if (result.status != PMC_S_OK) return result;
    PmcListCursor<IPmsSnmpPacket> cursor(replies.get());
    for (IPmsSnmpPacket* reply = cursor.current(); reply != nullptr; cursor.next(), reply = cursor.current()) {
        BroadcastAnswer answer;
        answer.address = reply->get_target()->get_address()->get_text();
        fill_result(reply->get_pdu(), &answer.answer);
        result.answers.push_back(std::move(answer));
    }
    return result;
}

}  // namespace NPmcClient
