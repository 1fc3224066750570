// The address-family classes behind pmc_create_datagram_socket.
#ifndef PMSNMP_DATAGRAM_SOCKET_KINDS_H
#define PMSNMP_DATAGRAM_SOCKET_KINDS_H

#include "net/datagram_socket.h"

// Sockets of socket version 1.1.
class DataGramSocketV1 : public DataGramSocket {
protected:
    pmc_long startup() override;
};

class DataGramSocketIPv4 : public DataGramSocketV1 {
protected:
    pmc_long set_any_address(CPmcNetworkAddress* address) override;
    bool from_sockaddr(const sockaddr_storage* record, CPmcNetworkAddress* address) override;
    bool to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) override;
    pmc_long create_handle() override;
};

class DataGramSocketIPX : public DataGramSocketV1 {
protected:
    pmc_long set_any_address(CPmcNetworkAddress* address) override;
    bool from_sockaddr(const sockaddr_storage* record, CPmcNetworkAddress* address) override;
    bool to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) override;
    pmc_long create_handle() override;
};

// Protocol-independent class (socket version 2.2), used for IPv6.
class DataGramSocketIPv6 : public DataGramSocket {
protected:
    pmc_long startup() override;
    pmc_long set_any_address(CPmcNetworkAddress* address) override;
    bool from_sockaddr(const sockaddr_storage* record, CPmcNetworkAddress* address) override;
    bool to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) override;
    pmc_long create_handle() override;
};

// Any-address texts per kind.
extern const char* const kAnyAddressIPv4;
extern const char* const kAnyAddressIPX;
extern const char* const kAnyAddressIPv6;

#endif
