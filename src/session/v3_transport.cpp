#include "session/v3_transport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

// The largest UDP payload.
constexpr size_t kMaxMessage = 65507;

// A datagram a wait took, for the library's next read.
struct Held {
    unsigned char* octets;  // kMaxMessage + 1, made at the first wait
    pmc_long length;        // its whole length; -1: none held
    sockaddr_storage from;
    int from_length;
};

// Plain data, so that the library may free it with the transport.
struct Channel {
    DataGramSocket* socket;
    CPmcNetworkAddress* destination;
    PmsSecurityRefusal dropped;
    Held held;
    pmc_long receive_timeout_ms;  // as last set on the socket; 0: never set
};

// RFC 3412 6: the smallest msgMaxSize an engine may announce.
constexpr long kMinMaxSize = 484;

// snmpUDPDomain: the library only compares it, never acts on it.
const oid kUdpDomain[] = {1, 3, 6, 1, 6, 1, 1};

Channel* channel_of(netsnmp_transport* transport) {
    return static_cast<Channel*>(transport->data);
}

char* copy_text(const char* text) {
    return strdup(text != nullptr ? text : "");
}

// The library drops a message in another version or with a msgMaxSize out
// of range without a word; seen here, a time-out can say why.
PmsSecurityRefusal flaw_of(const void* datagram, size_t length) {
    u_char* at = static_cast<u_char*>(const_cast<void*>(datagram));
    u_char type = 0;
    long number = 0;
    at = asn_parse_sequence(at, &length, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
    if (at != nullptr) at = asn_parse_int(at, &length, &type, &number, sizeof number);
    if (at == nullptr) return PmsSecurityRefusal::kNone;
    if (number != SNMP_VERSION_3) return PmsSecurityRefusal::kMessageVersion;
    at = asn_parse_sequence(at, &length, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "header");
    if (at != nullptr) at = asn_parse_int(at, &length, &type, &number, sizeof number);
    if (at != nullptr) at = asn_parse_int(at, &length, &type, &number, sizeof number);
    return at != nullptr && number < kMinMaxSize ? PmsSecurityRefusal::kMessageSize
                                                 : PmsSecurityRefusal::kNone;
}

// The next datagram: the one a wait took, else the one the library's own
// wait found waiting.
pmc_long take_datagram(Channel* channel, void* buffer, int size, pmc_long* received,
                       sockaddr_storage* sender, int* sender_length) {
    Held& held = channel->held;
    if (held.length < 0) {
        return channel->socket->receive_record(buffer, static_cast<pmc_ulong>(size), false,
                                               received, sender, sender_length);
    }
    const size_t whole = static_cast<size_t>(held.length);
    std::memcpy(buffer, held.octets, std::min(whole, static_cast<size_t>(size)));
    *received = held.length;
    *sender = held.from;
    *sender_length = held.from_length;
    held.length = -1;
    return PMC_S_OK;
}

int receive(netsnmp_transport* transport, void* buffer, int size, void** opaque, int* length) {
    *opaque = nullptr;
    *length = 0;
    if (size <= 0) return -1;
    sockaddr_storage sender;
    int sender_length = 0;
    pmc_long received = 0;
    Channel* channel = channel_of(transport);
    if (take_datagram(channel, buffer, size, &received, &sender, &sender_length) != PMC_S_OK) {
        return -1;
    }
    const int taken = received < size ? static_cast<int>(received) : size;
    const PmsSecurityRefusal flaw = flaw_of(buffer, static_cast<size_t>(taken));
    if (flaw != PmsSecurityRefusal::kNone) channel->dropped = flaw;
    // The sender stays the system's record; text is made only for a log.
    void* copy = sender_length > 0 ? std::malloc(static_cast<size_t>(sender_length)) : nullptr;
    if (copy != nullptr) {
        std::memcpy(copy, &sender, static_cast<size_t>(sender_length));
        *opaque = copy;
        *length = sender_length;
    }
    return taken;
}

int send(netsnmp_transport* transport, const void* data, int size, void**, int*) {
    Channel* channel = channel_of(transport);
    const pmc_long status =
        channel->socket->send(data, static_cast<pmc_ulong>(size), channel->destination);
    return status == PMC_S_OK ? size : -1;
}

// The socket and the address belong to the operation, not the transport.
int close_channel(netsnmp_transport* transport) {
    Held& held = channel_of(transport)->held;
    std::free(held.octets);
    held.octets = nullptr;
    held.length = -1;
    return 0;
}

char* format_address(netsnmp_transport* transport, const void* data, int length) {
    pmc::Owned<CPmcNetworkAddress> source(pms_v3_source_address_new(data, length));
    return copy_text(source ? source->get_text() : channel_of(transport)->destination->get_text());
}

}  // namespace

int pms_v3_transport_wait(netsnmp_transport_s* transport, pmc_long timeout_ms) {
#if defined(_WIN32)
    // There a receive that timed out leaves the socket in no known state.
    (void)transport;
    (void)timeout_ms;
    return kV3WaitElsewhere;
#else
    if (transport == nullptr || transport->f_recv != receive || timeout_ms < 1) {
        return kV3WaitElsewhere;
    }
    Channel* channel = channel_of(transport);
    Held& held = channel->held;
    if (held.length >= 0) return kV3WaitHeld;
    if (held.octets == nullptr) {
        held.octets = static_cast<unsigned char*>(std::malloc(kMaxMessage + 1));
        if (held.octets == nullptr) return kV3WaitElsewhere;
    }
    if (channel->receive_timeout_ms != timeout_ms) {
        if (channel->socket->set_receive_timeout(timeout_ms) != PMC_S_OK) return kV3WaitElsewhere;
        channel->receive_timeout_ms = timeout_ms;
    }
    pmc_long received = 0;
    const pmc_long status = channel->socket->receive_record(
        held.octets, kMaxMessage + 1, true, &received, &held.from, &held.from_length);
    if (status == PMC_E_TIMEOUT) return kV3WaitTimedOut;
    // Interrupted or failed: the wait on the descriptor finds out which.
    if (status != PMC_S_OK) return kV3WaitElsewhere;
    held.length = received;
    return kV3WaitHeld;
#endif
}

PmsSecurityRefusal pms_v3_transport_flaw(netsnmp_transport_s* transport) {
    return transport != nullptr && transport->f_recv == receive ? channel_of(transport)->dropped
                                                                : PmsSecurityRefusal::kNone;
}

void pms_v3_transport_forget_flaw(netsnmp_transport_s* transport) {
    if (transport != nullptr && transport->f_recv == receive) {
        channel_of(transport)->dropped = PmsSecurityRefusal::kNone;
        channel_of(transport)->held.length = -1;
    }
}

const sockaddr* pms_v3_source_record(const void* transport_data, int length, int* record_length) {
    if (transport_data == nullptr || length < static_cast<int>(sizeof(sockaddr))) return nullptr;
    const auto* record = static_cast<const sockaddr*>(transport_data);
    const int least = record->sa_family == AF_INET    ? static_cast<int>(sizeof(sockaddr_in))
                      : record->sa_family == AF_INET6 ? static_cast<int>(sizeof(sockaddr_in6))
                                                      : length + 1;
    if (length < least) return nullptr;
    *record_length = length;
    return record;
}

CPmcNetworkAddress* pms_v3_source_address_new(const void* transport_data, int length) {
    int record_length = 0;
    const sockaddr* record = pms_v3_source_record(transport_data, length, &record_length);
    if (record == nullptr) return nullptr;
    pmc::Owned<CPmcNetworkAddress> address(pmc_create_network_address(nullptr));
    if (!address || address->set_socket_address(record, record_length) != PMC_S_OK) return nullptr;
    return address.release();
}

netsnmp_transport_s* pms_v3_transport_new(DataGramSocket* socket,
                                          CPmcNetworkAddress* destination) {
    auto* transport = static_cast<netsnmp_transport*>(std::calloc(1, sizeof(netsnmp_transport)));
    auto* channel = static_cast<Channel*>(std::malloc(sizeof(Channel)));
    if (transport == nullptr || channel == nullptr) {
        std::free(transport);
        std::free(channel);
        return nullptr;
    }
    *channel = Channel{socket, destination, PmsSecurityRefusal::kNone, Held{}, 0};
    channel->held.length = -1;
    transport->domain = kUdpDomain;
    transport->domain_length = sizeof kUdpDomain / sizeof kUdpDomain[0];
    transport->sock = socket->native_handle();
    transport->data = channel;
    transport->data_length = sizeof(Channel);
    transport->msgMaxSize = kMaxMessage;
    transport->f_recv = receive;
    transport->f_send = send;
    transport->f_close = close_channel;
    transport->f_fmtaddr = format_address;
    return transport;
}
