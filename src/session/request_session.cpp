#include "session/request_session.h"

#include <chrono>
#include <cstdint>
#include <new>

#include <pmsnmp/owned.h>

#include "codec/codec_registry.h"
#include "log/component_log.h"
#include "message/list_cursor.h"
#include "net/network_address.h"
#include "session/broadcast_replies.h"
#include "session/packet_parts.h"
#include "session/request_fragmenter.h"
#include "session/request_id_counter.h"
#include "value/library_object.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* text_of(CPmcNetworkAddress* address) {
    const char* text = address != nullptr ? address->get_text() : nullptr;
    return text != nullptr ? text : "";
}

// Same host (by octets), kind and port.
bool same_address(CPmcNetworkAddress* a, CPmcNetworkAddress* b) {
    return a != nullptr && b != nullptr && a->get_port() == b->get_port() && a->equals(b);
}

bool shows(IPmcLogSession* log, pmc_long level) { return (log->get_level_mask() & level) != 0; }

// A receive buffer for a burst of broadcast answers: thousands of agents
// answer within milliseconds of each other.
constexpr int kBroadcastReceiveBuffer = 4 * 1024 * 1024;

pmc_ulong binding_count(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return list != nullptr ? list->count() : 0;
}

// Milliseconds left until deadline, rounded up so that a wait never ends
// early; 0 once it has passed.
pmc_long remaining_ms(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<pmc_long>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace

RequestSession* create_request_session(pmc_long* status) {
    return pmc_new_object<RequestSession>(status);
}

RequestSession::~RequestSession() = default;

void RequestSession::release() { delete this; }

pmc_long RequestSession::send_sync(IPmsSnmpPacket* packet) {
    return pms_on_packet_parts(packet, [this](IPmsPdu* pdu, IPmsSnmpTarget* target) {
        return send_sync(pdu, target);
    });
}

pmc_long RequestSession::send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) {
    PmcTraceScope scope(pmc_snmp_log(), "RequestSession::send_sync");
    if (pdu == nullptr || target == nullptr) return PMC_E_INVALID_ARG;
    CPmcNetworkAddress* address = target->get_address();
    if (address == nullptr) return PMC_E_INVALID_ARG;

    if (!socket_fits(address->get_kind(), target->get_port())) {
        const pmc_long status = open_socket(address, target->get_port());
        if (status != PMC_S_OK) return status;
    }
    return send_and_split(pdu, target);
}

pmc_long RequestSession::send_and_split(IPmsPdu* pdu, IPmsSnmpTarget* target) {
    pmc_ulong split_count = 0;
    const pmc_long status = _send_and_receive(pdu, target, &split_count);
    // A GetBulk answer goes round its repeaters; the answers of pieces
    // joined one after the other would not. Its sender asks for fewer
    // repetitions instead.
    if (split_count != 0 && pdu->get_type() != PMS_PDU_GET_BULK) return fragment_process(pdu, target, split_count);
    return status;
}

pmc_long RequestSession::fragment_process(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong n) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsPduList> pieces(NPmsRequestFragment::fragment_pdu(pdu, n, &status));
    if (!pieces) return status;
    pmc_snmp_log()->write_line(PMC_LOG_INFO, "[RequestSession::fragment_process] packet[%d] is fragmented to %d.",
                               static_cast<int>(pdu->get_request_id()), static_cast<int>(pieces->count()));
    PmcListCursor<IPmsPdu> cursor(pieces.get());
    status = cursor.status();
    // The first failure ends the walk: the pieces after it are not sent.
    for (IPmsPdu* piece = cursor.current(); status == PMC_S_OK && piece != nullptr;
         cursor.next(), piece = cursor.current()) {
        status = send_and_split(piece, target);
    }
    if (status != PMC_S_OK) {
        NPmsRequestFragment::restore_bindings(pieces.get(), pdu);
        return status;
    }
    return NPmsRequestFragment::join(pieces.get(), pdu);
}

bool RequestSession::socket_fits(pmc_long kind, unsigned short port) const {
    CPmcNetworkAddress* local = socket_ != nullptr ? socket_->get_local_address() : nullptr;
    return local != nullptr && local->get_kind() == kind && (port == 0 || local->get_port() == port);
}

pmc_long RequestSession::open_socket(CPmcNetworkAddress* address, unsigned short port) {
    socket_.reset();
    DataGramSocket* socket = nullptr;
    const pmc_long status = pmc_create_datagram_socket(address->get_kind(), port, &socket);
    socket_.reset(socket);
    return status;
}

pmc_long RequestSession::encode_request(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong* encoded_count) {
    pmc_long status = PMC_S_OK;
    if (!request_) {
        request_.reset(create_message_buffer(&status));
        if (!request_) return status;
    }
    pdu->set_request_id(pms_next_request_id());
    return codec_registry()->encode(pdu, target, request_.get(), encoded_count);
}

pmc_long RequestSession::send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies) {
    return pms_on_packet_parts(packet, [this, replies](IPmsPdu* pdu, IPmsSnmpTarget* target) {
        return send_broad_cast_sync(pdu, target, replies);
    });
}

pmc_long RequestSession::send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                              IPmsSnmpPacketList** replies) {
    PmcTraceScope scope(pmc_snmp_log(), "RequestSession::send_broad_cast_sync");
    if (pdu == nullptr || target == nullptr || replies == nullptr) return PMC_E_INVALID_ARG;
    CPmcNetworkAddress* destination = target->get_address();
    if (destination == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = open_socket(destination, target->get_port());
    if (status == PMC_S_OK) status = socket_->set_broadcast(true);
    if (status != PMC_S_OK) return status;
    socket_->set_receive_buffer(kBroadcastReceiveBuffer);  // best effort
    PmsBroadcastHosts hosts;
    pmc_ulong encoded_count = 0;
    status = encode_request(pdu, target, &encoded_count);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmsSnmpPacketList> list(create_packet_list(&status));
    if (!list) return status;

    const pmc_long timeout = target->get_timeout();
    const pmc_long retries = target->get_retries();
    pmc_snmp_log()->write_line(PMC_LOG_INFO, "broad cast: timeout= %d, retries=%d, destination=%s",
                               static_cast<int>(timeout), static_cast<int>(retries), text_of(destination));
    IPmsMessageBuffer* request = request_.get();
    status = PMC_S_OK;
    // 64 bits: a retry count of the largest 32-bit value must not wrap.
    for (std::int64_t attempt = 0; attempt <= retries; ++attempt) {
        pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "broad cast: try %d.", static_cast<int>(attempt));
        // The same octets every time: an agent that answered an earlier try
        // answers the same request identifier again.
        status = socket_->send(request->current(), request->remaining(), destination);
        if (status != PMC_S_OK) break;
        status = collect_replies(pdu, target, timeout, list.get(), &hosts);
        if (status != PMC_E_TIMEOUT) break;
    }
    if (status != PMC_S_OK && status != PMC_E_TIMEOUT) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "broad cast: error=%d.", static_cast<int>(status));
        return status;
    }
    *replies = list.release();
    return PMC_S_OK;
}

pmc_long RequestSession::collect_replies(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_long timeout_ms,
                                         IPmsSnmpPacketList* replies, PmsBroadcastHosts* hosts) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
    pmc_long status = prepare_receive_block();
    if (status != PMC_S_OK) return status;
    for (pmc_long remaining = remaining_ms(deadline); remaining > 0; remaining = remaining_ms(deadline)) {
        pmc_long received = 0;
        CPmcNetworkAddress* sender = nullptr;
        status = socket_->receive(received_.get(), PMS_RECEIVE_BUFFER_SIZE, remaining, &received, &sender);
        pmc::Owned<CPmcNetworkAddress> source(sender);
        if (status != PMC_S_OK) return status;
        if (static_cast<pmc_ulong>(received) > PMS_RECEIVE_BUFFER_SIZE) continue;
        if (!NPmsBroadcastReplies::accepts(target->get_address(), source.get())) continue;
        answer_->attach(received_.get(), static_cast<pmc_ulong>(received), PMS_BUFFER_BORROWED);
        status = take_reply(pdu, target, source.get(), replies, hosts);
        if (status != PMC_S_OK) return status;
    }
    return PMC_E_TIMEOUT;
}

pmc_long RequestSession::take_reply(IPmsPdu* pdu, IPmsSnmpTarget* target, CPmcNetworkAddress* source,
                                    IPmsSnmpPacketList* replies, PmsBroadcastHosts* hosts) {
    // A late answer to an earlier request on this socket is no agent of
    // this broadcast; tooBig still tells who is there.
    pmc_long status = check_received_raw_packet(pdu, target, answer_.get());
    if (status == PMC_E_OTHER_REQUEST) return PMC_S_OK;
    if (status == PMC_S_OK || status == PMC_E_TOO_BIG) {
        bool known = false;
        status = hosts->search(source, &known);
        if (status != PMC_S_OK) {
            pmc_snmp_log()->write_line(PMC_LOG_ERROR, "[RequestSession::send_broad_cast_sync] fail search_new_packet().");
            return status;
        }
        if (known) return PMC_S_OK;
        if (shows(pmc_snmp_log(), PMC_LOG_DEBUG)) {
            pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "broad cast: receive from new address:%s", text_of(source));
        }
        status = NPmsBroadcastReplies::add(replies, answer_.get(), source);
        if (status == PMC_S_OK) status = hosts->remember(source);
        if (status == PMC_E_OTHER_REQUEST) return PMC_S_OK;
    }
    if (status != PMC_E_DECODE) return status;
    // One device sending garbage must not hide the others.
    pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "broad cast: skip undecodable answer from %s.", text_of(source));
    return PMC_S_OK;
}

pmc_long RequestSession::send_async(IPmsPdu* pdu, IPmsSnmpTarget* target, void* callback, void* context) {
    (void)pdu;
    (void)target;
    (void)callback;
    (void)context;
    return PMC_E_NOT_SUPPORTED;
}

pmc_long RequestSession::check_received_raw_packet(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                                   IPmsMessageBuffer* buffer, bool* names_request) {
    if (names_request != nullptr) *names_request = false;
    if (pdu == nullptr || target == nullptr || buffer == nullptr) return PMC_E_INVALID_ARG;
    CPmsPeekedHeader header;
    const pmc_long status = codec_registry()->peek_header(buffer, target->translate_type(), &header);
    if (names_request != nullptr) *names_request = header.has_request_id && header.request_id == pdu->get_request_id();
    // -250 (a header that cannot be read) makes the caller discard the datagram.
    if (status != PMC_S_OK) return status;
    if (header.request_id == pdu->get_request_id()) {
        if (header.version == target->get_version()) {
            return header.error_status == PMS_ERR_TOO_BIG ? PMC_E_TOO_BIG : PMC_S_OK;
        }
        // Not an answer to what was sent: taking it would make the next
        // request speak another version.
        pmc_snmp_log()->write_line(
            PMC_LOG_DEBUG, "[RequestSession::check_received_raw_packet] version not match. sended packet[%d]:received packet[%d].",
            static_cast<int>(target->get_version()), static_cast<int>(header.version));
        return PMC_E_OTHER_REQUEST;
    }
    pmc_snmp_log()->write_line(
        PMC_LOG_DEBUG,
        "[RequestSession::check_received_raw_packet] request id not match. sended packet[%ud]:received packet[%ud].",
        static_cast<unsigned>(pdu->get_request_id()), static_cast<unsigned>(header.request_id));
    return PMC_E_OTHER_REQUEST;
}

pmc_long RequestSession::_send_and_receive(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong* split_count) {
    PmcTraceScope scope(pmc_snmp_log(), "RequestSession::_send_and_receive");
    if (pdu == nullptr || target == nullptr || split_count == nullptr) return PMC_E_INVALID_ARG;
    CPmcNetworkAddress* destination = target->get_address();
    if (destination == nullptr || socket_ == nullptr) return PMC_E_INVALID_ARG;

    pmc_ulong encoded_count = 0;
    pmc_long status = encode_request(pdu, target, &encoded_count);
    IPmsMessageBuffer* request = request_.get();
    if (status != PMC_S_OK) {
        if (status == PMC_E_MESSAGE_TOO_LARGE) {
            const pmc_ulong n = binding_count(pdu);
            // Not one binding fits: smaller pieces cannot help.
            if (encoded_count == 0) return PMC_E_CANNOT_SPLIT;
            *split_count = n == encoded_count ? 2 : (n + encoded_count - 1) / encoded_count;
        }
        return status;
    }
    const pmc_ulong length = request->remaining();
    const pmc_long maximum = target->get_max_message_size();
    if (maximum <= 0) return PMC_E_CANNOT_SPLIT;
    if (length > static_cast<pmc_ulong>(maximum)) {
        *split_count = (length + static_cast<pmc_ulong>(maximum) - 1) / static_cast<pmc_ulong>(maximum);
        return PMC_E_MESSAGE_TOO_LARGE;
    }

    const pmc_long timeout = target->get_timeout();
    const pmc_long retries = target->get_retries();
    pmc_snmp_log()->write_line(PMC_LOG_INFO, "_send_and_receive(): timeout= %d, retries=%d", static_cast<int>(timeout),
                               static_cast<int>(retries));
    pmc::Owned<CPmcNetworkAddress> source;
    status = PMC_E_TIMEOUT;
    // A negative retry count still makes the one try every request gets.
    for (pmc_long attempt = 0; attempt == 0 || attempt <= retries; ++attempt) {
        pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "_send_and_receive(): try %d, destination=%s",
                                   static_cast<int>(attempt), text_of(destination));
        status = socket_->send(request->current(), length, destination);
        if (status != PMC_S_OK) break;
        bool end_tries = false;
        CPmcNetworkAddress* sender = nullptr;
        status = receive_answer(pdu, target, timeout, &end_tries, &sender);
        source.reset(sender);
        if (end_tries) break;
    }
    // The answer normally comes from the address asked: the target then
    // keeps its own copy instead of trading it for an equal one.
    if (status == PMC_S_OK && !same_address(target->get_address(), source.get())) {
        status = target->set_address(source.get());
    }
    if (status == PMC_E_TOO_BIG) *split_count = 2;
    return status;
}

pmc_long RequestSession::prepare_receive_block() {
    pmc_long status = PMC_S_OK;
    if (!answer_) answer_.reset(create_message_buffer(&status));
    if (!answer_) return status;
    if (!received_) received_.reset(static_cast<unsigned char*>(std::malloc(PMS_RECEIVE_BUFFER_SIZE)));
    return received_ ? PMC_S_OK : PMC_E_NO_MEMORY;
}

pmc_long RequestSession::receive_answer(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_long timeout_ms,
                                        bool* end_tries, CPmcNetworkAddress** source) {
    // The wait is measured against one deadline, so a stream of datagrams to
    // discard cannot stretch a try (rounding each step would).
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
    pmc_long status = prepare_receive_block();
    if (status != PMC_S_OK) {
        *end_tries = true;
        return status;
    }
    IPmsMessageBuffer* answer = answer_.get();
    status = PMC_E_TIMEOUT;
    // At least one receive, which does not wait when there is no time.
    bool first = true;
    // An answer to this request came but could not be decoded.
    bool malformed = false;
    for (pmc_long remaining = remaining_ms(deadline); first || remaining > 0; remaining = remaining_ms(deadline)) {
        first = false;
        pmc_long received = 0;
        CPmcNetworkAddress* sender = nullptr;
        status = socket_->receive(received_.get(), PMS_RECEIVE_BUFFER_SIZE, remaining, &received, &sender);
        pmc::Owned<CPmcNetworkAddress> sender_owned(sender);
        if (status == PMC_E_TIMEOUT) {
            pmc_snmp_log()->write_line(PMC_LOG_ERROR, "_send_and_receive(): receive timeout.");
            // "It answered, but unreadably" tells the caller more than "no answer".
            return malformed ? PMC_E_DECODE : status;
        }
        if (status != PMC_S_OK) {
            pmc_snmp_log()->write_line(PMC_LOG_ERROR, "_send_and_receive(): error=%d.", static_cast<int>(status));
            *end_tries = true;
            return status;
        }
        if (shows(pmc_snmp_log(), PMC_LOG_DEBUG)) {
            pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "_send_and_receive(): receive from %s", text_of(sender));
        }
        if (static_cast<pmc_ulong>(received) > PMS_RECEIVE_BUFFER_SIZE) {
            pmc_snmp_log()->write_line(PMC_LOG_ERROR, "_send_and_receive(): datagram of %d octets was cut.",
                                       static_cast<int>(received));
            status = PMC_E_DECODE;
            continue;
        }
        // The buffer lends the block; its size is the datagram's.
        answer->attach(received_.get(), static_cast<pmc_ulong>(received), PMS_BUFFER_BORROWED);
        bool names_request = false;
        status = check_received_raw_packet(pdu, target, answer, &names_request);
        // An answer to this request with a header out of range (an error
        // status of -1) is malformed, not missing.
        if (status == PMC_E_DECODE && names_request) malformed = true;
        if (status == PMC_E_TOO_BIG) {
            pmc_snmp_log()->write_line(PMC_LOG_DEBUG, "_send_and_receive(): receive packet is too big.");
            *end_tries = true;
            return status;
        }
        if (status == PMC_S_OK) {
            // No target: the answer's community must not become the one the
            // caller's target sends next.
            status = codec_registry()->decode(answer, pdu, nullptr, target->translate_type());
            if (status != PMC_E_DECODE) {
                *end_tries = true;
                if (status == PMC_S_OK) *source = sender_owned.release();
                return status;
            }
            malformed = true;
        } else if (status != PMC_E_OTHER_REQUEST && status != PMC_E_DECODE) {
            *end_tries = true;
            return status;
        }
        // Discarded: wait on for the rest of this try's time.
    }
    // The time ran out between datagrams: whatever was discarded last, this
    // try took no answer.
    return malformed ? PMC_E_DECODE : PMC_E_TIMEOUT;
}
