// A Net-SNMP transport whose datagrams travel over our datagram socket, so
// that the library session uses the same sockets, address kinds and trace
// log as every other request.
#ifndef PMSNMP_SESSION_V3_TRANSPORT_H
#define PMSNMP_SESSION_V3_TRANSPORT_H

#include "net/datagram_socket.h"
#include "net/network_address.h"
#include "session/user_session.h"

struct netsnmp_transport_s;

// A new transport that sends to destination over socket (both lent: they
// must outlive the library session that takes the transport). Every
// received PDU carries its sender's socket address, as the system gave it,
// as its transport data. null when memory runs out.
netsnmp_transport_s* pms_v3_transport_new(DataGramSocket* socket,
                                          CPmcNetworkAddress* destination);

// What pms_v3_transport_wait() found.
constexpr int kV3WaitHeld = 1;        // a datagram, held for the library's next read
constexpr int kV3WaitTimedOut = 0;    // nothing within the time
constexpr int kV3WaitElsewhere = -2;  // not a wait it can do: wait on the descriptor

// Waits up to timeout_ms (at least 1) for the next datagram and holds it
// for the library's next read, in one blocking read with the socket's own
// receive time-out (set only when it changes), where a wait on the
// descriptor and a read would take two system calls.
int pms_v3_transport_wait(netsnmp_transport_s* transport, pmc_long timeout_ms);

// Why the last datagram the library was bound to drop silently was flawed
// (another message version, a msgMaxSize below 484), or kNone.
PmsSecurityRefusal pms_v3_transport_flaw(netsnmp_transport_s* transport);

// Clears the flaw and drops a held datagram, for a transport that carries
// another request.
void pms_v3_transport_forget_flaw(netsnmp_transport_s* transport);

// The sender's socket address (IPv4 or IPv6) of a received library PDU
// (lent) and its length, or null.
const sockaddr* pms_v3_source_record(const void* transport_data, int length, int* record_length);

// The sender of a received library PDU as a new address (IPv4 or IPv6) the
// caller releases, or null.
CPmcNetworkAddress* pms_v3_source_address_new(const void* transport_data, int length);

#endif
