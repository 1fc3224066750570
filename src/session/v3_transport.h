// A Net-SNMP transport whose datagrams travel over our datagram socket, so
// that the library session uses the same sockets, address kinds and trace
// log as every other request.
#ifndef PMSNMP_SESSION_V3_TRANSPORT_H
#define PMSNMP_SESSION_V3_TRANSPORT_H

#include "net/datagram_socket.h"
#include "net/network_address.h"

struct netsnmp_transport_s;

// A new transport that sends to destination over socket (both lent: they
// must outlive the library session that takes the transport). Every
// received PDU carries its sender's address text, NUL-terminated, as its
// transport data. null when memory runs out.
netsnmp_transport_s* pms_v3_transport_new(DataGramSocket* socket,
                                          CPmcNetworkAddress* destination);

// The sender's address text of a received library PDU (lent), or null.
const char* pms_v3_source_text(const void* transport_data, int length);

#endif
