// The reply list of a broadcast request: which answering addresses count,
// whether a host has answered already, and one entry per answer.
#ifndef PMSNMP_SESSION_BROADCAST_REPLIES_H
#define PMSNMP_SESSION_BROADCAST_REPLIES_H

#include "codec/message_buffer.h"
#include "message/snmp_packet.h"
#include "net/network_address.h"

#include <string>
#include <unordered_set>

namespace NPmsBroadcastReplies {

// Whether an answer from source belongs to a broadcast to destination: any
// IP sender; an IPX sender only on the destination's network, unless the
// destination names every network (00000000).
bool accepts(CPmcNetworkAddress* destination, CPmcNetworkAddress* source);

// Decodes the datagram in buffer into a new entry (its own PDU and a
// community target holding a copy of source) at the end of replies. -250
// when the datagram cannot be decoded, -251 when it is no response (a
// request, such as the broadcast itself); replies is then unchanged.
pmc_long add(IPmsSnmpPacketList* replies, IPmsMessageBuffer* buffer, CPmcNetworkAddress* source);

}  // namespace NPmsBroadcastReplies

// The hosts already listed, by their octets: one entry per answering host
// whatever port it answers from, found without walking the list.
class PmsBroadcastHosts {
public:
    // Sets *found to whether source's host is listed already: 0, or -3
    // without memory.
    pmc_long search(CPmcNetworkAddress* source, bool* found) const;
    // Marks source's host as listed: 0, or -3 without memory.
    pmc_long remember(CPmcNetworkAddress* source);

private:
    std::unordered_set<std::string> hosts_;
};

#endif
