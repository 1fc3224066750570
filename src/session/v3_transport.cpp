#include "session/v3_transport.h"

#include <cstdlib>
#include <cstring>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

// Plain data, so that the library may free it with the transport.
struct Channel {
    DataGramSocket* socket;
    CPmcNetworkAddress* destination;
    PmsSecurityRefusal dropped;
};

// RFC 3412 6: the smallest msgMaxSize an engine may announce.
constexpr long kMinMaxSize = 484;

// snmpUDPDomain: the library only compares it, never acts on it.
const oid kUdpDomain[] = {1, 3, 6, 1, 6, 1, 1};
// The largest UDP payload.
constexpr size_t kMaxMessage = 65507;

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

int receive(netsnmp_transport* transport, void* buffer, int size, void** opaque, int* length) {
    *opaque = nullptr;
    *length = 0;
    if (size <= 0) return -1;
    CPmcNetworkAddress* source = nullptr;
    pmc_long received = 0;
    // The library calls this only once the descriptor is readable.
    const pmc_long status = channel_of(transport)->socket->receive(
        buffer, static_cast<pmc_ulong>(size), 0, &received, &source);
    if (status != PMC_S_OK) return -1;
    const PmsSecurityRefusal flaw = flaw_of(buffer, static_cast<size_t>(received < size ? received : size));
    if (flaw != PmsSecurityRefusal::kNone) channel_of(transport)->dropped = flaw;
    pmc::Owned<CPmcNetworkAddress> sender(source);
    char* text = copy_text(sender->get_text());
    if (text != nullptr) {
        *opaque = text;
        *length = static_cast<int>(std::strlen(text) + 1);
    }
    return received < size ? static_cast<int>(received) : size;
}

int send(netsnmp_transport* transport, const void* data, int size, void**, int*) {
    Channel* channel = channel_of(transport);
    const pmc_long status =
        channel->socket->send(data, static_cast<pmc_ulong>(size), channel->destination);
    return status == PMC_S_OK ? size : -1;
}

// The socket and the address belong to the operation, not the transport.
int close_channel(netsnmp_transport*) { return 0; }

char* format_address(netsnmp_transport* transport, const void* data, int length) {
    const char* text = pms_v3_source_text(data, length);
    if (text == nullptr) text = channel_of(transport)->destination->get_text();
    return copy_text(text);
}

}  // namespace

PmsSecurityRefusal pms_v3_transport_flaw(netsnmp_transport_s* transport) {
    return transport != nullptr && transport->f_recv == receive ? channel_of(transport)->dropped
                                                                : PmsSecurityRefusal::kNone;
}

void pms_v3_transport_forget_flaw(netsnmp_transport_s* transport) {
    if (transport != nullptr && transport->f_recv == receive) {
        channel_of(transport)->dropped = PmsSecurityRefusal::kNone;
    }
}

const char* pms_v3_source_text(const void* transport_data, int length) {
    if (transport_data == nullptr || length <= 0) return nullptr;
    const char* text = static_cast<const char*>(transport_data);
    return text[length - 1] == '\0' ? text : nullptr;
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
    *channel = Channel{socket, destination, PmsSecurityRefusal::kNone};
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
