// One bound UDP (or IPX) datagram socket: send to an address, wait a bounded
// time for one datagram, broadcast and multicast options.
#ifndef PMSNMP_DATAGRAM_SOCKET_H
#define PMSNMP_DATAGRAM_SOCKET_H

#include <pmsnmp/owned.h>

#include "net/network_address.h"
#include "net/socket_api.h"

class DataGramSocket;

// Creates, binds and returns an open socket for address kind 1, 2 or 4 on
// the any-address; port 0 lets the system choose. The caller releases it.
// -2 missing out-parameter or unknown kind, -3 no memory, or the status of
// the start-up, socket creation (-201) or bind (-202).
pmc_long pmc_create_datagram_socket(pmc_long kind, unsigned short port, DataGramSocket** out);

class DataGramSocket {
public:
    // Closes the socket and balances its start-up.
    virtual void release();
    // Sends length bytes to destination: 0 (also for a short send), -2
    // missing argument or unconvertible destination, -205 send failed.
    virtual pmc_long send(const void* data, pmc_ulong length, CPmcNetworkAddress* destination);
    // Waits up to timeout_ms (-1: no limit) for one datagram, with poll
    // where the socket library has it (any descriptor number), else with
    // select (descriptors below FD_SETSIZE only). On 0 the sender is a new
    // address in *source that the caller releases, and *received is the
    // datagram's whole length: above capacity, only its first capacity
    // octets were stored (the datagram was cut).
    // -203 time-out, -204 wait or receive failed, -1 sender not convertible.
    virtual pmc_long receive(void* buffer, pmc_ulong capacity, pmc_long timeout_ms,
                             pmc_long* received, CPmcNetworkAddress** source);
    // One datagram, the sender kept as the system's record in *from,
    // *from_length octets long, made into an address only by whoever needs
    // one. wait: blocks until one comes or the receive time-out passes
    // (-203); else, for an event loop whose own wait said the socket is
    // readable, takes what is there without waiting (-204 when nothing is,
    // where the system lets a read say so). 0 as receive() gives it.
    pmc_long receive_record(void* buffer, pmc_ulong capacity, bool wait, pmc_long* received,
                            sockaddr_storage* from, int* from_length);
    // How long a waiting receive_record() blocks, in milliseconds (at least
    // 1). 0, or -1 when refused.
    pmc_long set_receive_timeout(pmc_long timeout_ms);
    // The bound address and port (lent).
    virtual CPmcNetworkAddress* get_local_address();
    // The system's descriptor, for an event loop that waits on it; the
    // socket keeps owning it.
    PmcSocket native_handle() const { return handle_; }
    // Allows sending to broadcast addresses (IPv4 and IPX only; 0 for IPv6).
    virtual pmc_long set_broadcast(bool flag);
    // Asks the system for a receive buffer of octets, so that a burst of
    // datagrams waits instead of being dropped; the system may grant less.
    // 0, or -1 when refused.
    virtual pmc_long set_receive_buffer(int octets);
    // Joins the multicast group given as text on any interface: 0 or -1,
    // -2 for an unparsable IPv6 group or an unsupported kind.
    virtual pmc_long join_multicast(const char* group);
    virtual ~DataGramSocket();

    // Expands and parses an IPv6 text into 16 network-order bytes; -2 when
    // the text is missing or has fewer than eight groups.
    static pmc_long parse_ipv6_text(const char* text, unsigned char out[16]);

    DataGramSocket(const DataGramSocket&) = delete;
    DataGramSocket& operator=(const DataGramSocket&) = delete;

protected:
    DataGramSocket() = default;

    virtual pmc_long startup() = 0;
    virtual pmc_long set_any_address(CPmcNetworkAddress* address) = 0;
    virtual bool from_sockaddr(const sockaddr_storage* record, CPmcNetworkAddress* address) = 0;
    virtual bool to_sockaddr(sockaddr_storage* record, CPmcNetworkAddress* address) = 0;
    virtual pmc_long create_handle() = 0;

    // Starts up, creates the handle, binds to the local address and reads
    // back the bound address.
    pmc_long open();
    // One recvfrom with flags, logged as receive() logs it; may_time_out:
    // a blocking read that ran out of time gives -203.
    pmc_long read_datagram(void* buffer, pmc_ulong capacity, int flags, bool may_time_out,
                           pmc_long* received, sockaddr_storage* from, int* from_length);

    PmcSocket handle_ = PMC_INVALID_SOCKET;
    pmc::Owned<CPmcNetworkAddress> local_;

private:
    friend pmc_long pmc_create_datagram_socket(pmc_long, unsigned short, DataGramSocket**);
    bool started_ = false;  // start-up succeeded, so a clean-up is owed
};

#endif
