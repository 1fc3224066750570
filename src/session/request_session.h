// The community session: SNMPv1 and SNMPv2c requests over a datagram
// socket with the library's own codec, retries and request matching.
#ifndef PMSNMP_SESSION_REQUEST_SESSION_H
#define PMSNMP_SESSION_REQUEST_SESSION_H

#include <cstdlib>
#include <memory>

#include <pmsnmp/owned.h>

#include "codec/message_buffer.h"
#include "net/datagram_socket.h"
#include "session/broadcast_replies.h"
#include "session/session.h"

// Each receive reads into a buffer of this size: the largest UDP payload,
// so that no answer is cut. A datagram the socket still reports as cut is
// discarded, never decoded as if it were whole.
constexpr pmc_ulong PMS_RECEIVE_BUFFER_SIZE = 65535;

class RequestSession : public IPmsSession {
public:
    void release() override;
    // Keeps the socket of the last exchange when it has the address kind
    // and local port this one needs, else opens a new one (bound to the
    // target's port when it has one); an answer to an earlier exchange that
    // arrives late is discarded by its request id. Sends with retries and decodes the answer into pdu;
    // splits the request when it is too big. An answer in another version
    // than target's is discarded; target keeps its version and community and
    // takes only the answering address. A time-out of 0 or less does not
    // wait: only an answer already queued is taken, so it is normally -203.
    pmc_long send_sync(IPmsPdu* pdu, IPmsSnmpTarget* target) override;
    pmc_long send_sync(IPmsSnmpPacket* packet) override;
    // Sends one request to target's broadcast address on every try and
    // waits each try's whole time-out; *replies receives one entry per
    // answering host (the first port it answered from), in order of first arrival (empty when nobody
    // answered). Answers to other requests and datagrams that cannot be
    // decoded are skipped. A retry count of -1 sends nothing.
    pmc_long send_broad_cast_sync(IPmsSnmpPacket* packet, IPmsSnmpPacketList** replies) override;
    pmc_long send_broad_cast_sync(IPmsPdu* pdu, IPmsSnmpTarget* target,
                                  IPmsSnmpPacketList** replies) override;
    // Asynchronous requests are not offered: always -5.
    virtual pmc_long send_async(IPmsPdu* pdu, IPmsSnmpTarget* target, void* callback, void* context);

    // 0 when buffer answers pdu's request, -210 when that answer is tooBig,
    // -251 when it answers another request or speaks another version than
    // target, -250 when its header cannot be read. *names_request (when
    // given) tells whether it carries pdu's request id, malformed or not.
    pmc_long check_received_raw_packet(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                                       bool* names_request = nullptr);

    RequestSession() = default;
    RequestSession(const RequestSession&) = delete;
    RequestSession& operator=(const RequestSession&) = delete;

protected:
    virtual ~RequestSession();

    // One exchange and the splitting it names: what every request and every
    // piece goes through.
    pmc_long send_and_split(IPmsPdu* pdu, IPmsSnmpTarget* target);
    // Cuts pdu into n pieces, sends each (cutting again one still too big)
    // and joins their answers into pdu. 0, or the first failure; pdu then
    // gets back the bindings its pieces hold.
    pmc_long fragment_process(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong n);
    // One request with its tries; a request that is too big names the
    // number of pieces through *split_count. Virtual so that the splitting
    // can be driven against scripted answers.
    virtual pmc_long _send_and_receive(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong* split_count);

private:
    // Replaces the session's socket by a new one for address's kind, bound
    // to port (0: any).
    pmc_long open_socket(CPmcNetworkAddress* address, unsigned short port);
    // Stamps pdu with a new request identifier and encodes it into the
    // session's request buffer.
    pmc_long encode_request(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_ulong* encoded_count);
    // One broadcast try's wait: collects the answers to pdu from new
    // addresses into replies until timeout_ms is used up; -203 then, or the
    // failure that ends the tries.
    pmc_long collect_replies(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_long timeout_ms,
                             IPmsSnmpPacketList* replies, PmsBroadcastHosts* hosts);
    // Adds the datagram in answer_ from source unless it is not an answer to
    // pdu, comes from a host already listed (on any port) or cannot be
    // decoded.
    pmc_long take_reply(IPmsPdu* pdu, IPmsSnmpTarget* target, CPmcNetworkAddress* source,
                        IPmsSnmpPacketList* replies, PmsBroadcastHosts* hosts);

    // Receives until an answer to pdu is decoded into it, a failure ends the
    // tries, or timeout_ms is used up (then -250 when an answer to pdu came
    // but could not be decoded, else -203 or the status of the last datagram
    // discarded). The answer's header is read into a target of its own: the
    // caller's keeps its version and community. *source receives the
    // answer's sender.
    pmc_long receive_answer(IPmsPdu* pdu, IPmsSnmpTarget* target, pmc_long timeout_ms,
                            bool* end_tries, CPmcNetworkAddress** source);

    // Whether the current socket has the address kind and, unless port is
    // 0, the local port an exchange needs.
    bool socket_fits(pmc_long kind, unsigned short port) const;

    // The receive block, allocated on the first receive and reused by every
    // later one, and the buffer that lends it to the codec.
    pmc_long prepare_receive_block();

    pmc::Owned<DataGramSocket> socket_;
    // Left unfilled: zeroing 64 KiB on every operation would cost more than
    // the exchange it serves.
    struct FreeBlock {
        void operator()(unsigned char* block) const { std::free(block); }
    };
    std::unique_ptr<unsigned char[], FreeBlock> received_;
    pmc::Owned<IPmsMessageBuffer> answer_;
    // The request's octets, kept for the next request: encoding reuses the
    // block, since every request of a target asks for the same size.
    pmc::Owned<IPmsMessageBuffer> request_;
};

// A new session; status 0, or -3 and null. The caller releases it.
RequestSession* create_request_session(pmc_long* status);

#endif
