// Broadcast discovery against responders of the test agent: helpers shared
// by the loopback tests and the one inside a private network namespace.
#ifndef PMSNMP_TESTS_SESSION_BROADCAST_SUPPORT_H
#define PMSNMP_TESTS_SESSION_BROADCAST_SUPPORT_H

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "message/list_cursor.h"
#include "message/snmp_packet.h"
#include "session/session_dispatcher.h"
#include "session/session_test_support.h"
#include "support/loopback_socket.h"
#include "support/test_agent.h"

namespace session_test {

constexpr const char* kLoopbackBroadcast = "127.255.255.255";
constexpr const char* kSysName = "1.3.6.1.2.1.1.5.0";

inline unsigned short free_udp_port() {
    pmc_test::LoopbackSocket probe(AF_INET);
    return probe.bind(0) ? probe.local_port() : 0;
}

// A responder named lp-<host> answering from 127.0.0.<host>.
inline std::unique_ptr<pmc_test::TestAgent> responder(unsigned short port, int host, const std::string& extra = "",
                                     const char* bind = kLoopbackBroadcast) {
    const std::string index = std::to_string(host);
    const std::string scenario = std::string(R"({"table": {")") + kSysName + R"(": ["octets", "lp-)" + index +
                                 R"("]}, "answer_from": "127.0.0.)" + index + "\"" +
                                 (extra.empty() ? "" : ", " + extra) + "}";
    return std::make_unique<pmc_test::TestAgent>(scenario, bind, 60,
                                       std::vector<std::string>{"--port", std::to_string(port), "--reuse"});
}

struct Discovery {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmsSnmpPacketList> replies;
    long long elapsed_ms = 0;

    std::vector<std::string> senders() const {
        std::vector<std::string> out;
        if (!replies) return out;
        PmcListCursor<IPmsSnmpPacket> cursor(replies.get());
        for (IPmsSnmpPacket* packet = cursor.current(); packet != nullptr; cursor.next(), packet = cursor.current()) {
            out.push_back(packet->get_target()->get_address()->get_text() + std::string(" ") +
                          text_of(value_at(packet->get_pdu(), 0)));
        }
        return out;
    }
};

inline Discovery discover(const char* destination, unsigned short port, pmc_long timeout_ms, pmc_long retries) {
    Discovery out;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {kSysName});
    pmc::Owned<IPmsSnmpTarget> target = make_target(destination, port, PMS_VERSION_1, timeout_ms, retries);
    IPmsSnmpPacketList* list = nullptr;
    const auto start = std::chrono::steady_clock::now();
    out.status = dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &list);
    out.elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                         .count();
    out.replies.reset(list);
    return out;
}

}  // namespace session_test

#endif
