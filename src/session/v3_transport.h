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
// received PDU carries its sender's address text, NUL-terminated, as its
// transport data. null when memory runs out.
netsnmp_transport_s* pms_v3_transport_new(DataGramSocket* socket,
                                          CPmcNetworkAddress* destination);

// Why the last datagram the library was bound to drop silently was flawed
// (another message version, a msgMaxSize below 484), or kNone.
PmsSecurityRefusal pms_v3_transport_flaw(netsnmp_transport_s* transport);

// Clears the flaw, for a transport that carries another request.
void pms_v3_transport_forget_flaw(netsnmp_transport_s* transport);

// The sender's address text of a received library PDU (lent), or null.
const char* pms_v3_source_text(const void* transport_data, int length);

#endif
