// SNMPv3 engine discovery by broadcast against snmpd, inside a network
// namespace of the test's own (fork and unshare): Linux only.
#include "session/v3_request_session.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "session/session_test_support.h"
#include "session/v3_library.h"
#include "session/v3_target_support.h"
#include "support/private_network.h"
#include "support/snmpd_fixture.h"
#include "support/text_of.h"

namespace {

using session_test::make_pdu;
using session_test::make_user_target;

// snmpd answers a request that came to a broadcast address from that
// address, which the system refuses to send from. This relay, on the any
// address of a private namespace, hands every datagram to snmpd on
// 127.0.0.1 and its answers back from an ordinary address.
class BroadcastRelay {
public:
    BroadcastRelay(unsigned short port, unsigned short agent_port) : agent_port_(agent_port) {
        outer_ = bound_socket(INADDR_ANY, port);
        inner_ = bound_socket(INADDR_LOOPBACK, 0);
        if (outer_ >= 0 && inner_ >= 0) thread_ = std::thread([this] { run(); });
    }
    ~BroadcastRelay() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (outer_ >= 0) ::close(outer_);
        if (inner_ >= 0) ::close(inner_);
    }
    bool running() const { return thread_.joinable(); }

private:
    static int bound_socket(in_addr_t address, unsigned short port) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(address);
        local.sin_port = htons(port);
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) return fd;
        if (fd >= 0) ::close(fd);
        return -1;
    }

    void run() {
        sockaddr_in agent{};
        agent.sin_family = AF_INET;
        agent.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        agent.sin_port = htons(agent_port_);
        sockaddr_in client{};
        char datagram[65536];
        while (!stop_) {
            pollfd waiting[2] = {{outer_, POLLIN, 0}, {inner_, POLLIN, 0}};
            if (::poll(waiting, 2, 50) <= 0) continue;
            if (waiting[0].revents & POLLIN) {
                socklen_t length = sizeof client;
                const ssize_t n = ::recvfrom(outer_, datagram, sizeof datagram, 0,
                                             reinterpret_cast<sockaddr*>(&client), &length);
                if (n > 0) ::sendto(inner_, datagram, n, 0, reinterpret_cast<sockaddr*>(&agent), sizeof agent);
            }
            if (waiting[1].revents & POLLIN) {
                const ssize_t n = ::recv(inner_, datagram, sizeof datagram, 0);
                if (n > 0) ::sendto(outer_, datagram, n, 0, reinterpret_cast<sockaddr*>(&client), sizeof client);
            }
        }
    }

    unsigned short agent_port_;
    int outer_ = -1;
    int inner_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Runs in a forked child inside its own namespace; the exit code carries
// one bit per failed check.
int discover_in_private_namespace() {
    if (!pmc_test::bring_loopback_up()) return pmc_test::kPrivateNetworkSetupFailed;
    pmstest::SnmpdFixture agent("snmpd_v3.conf");
    std::string error;
    if (!agent.start(&error)) return pmc_test::kPrivateNetworkSetupFailed;
    const unsigned short port = static_cast<unsigned short>(agent.port() + 1);
    BroadcastRelay relay(port, agent.port());
    if (!relay.running()) return pmc_test::kPrivateNetworkSetupFailed;
    V3LibraryUse library;
    pmc::Owned<v3RequestSession> session(create_v3_request_session(nullptr));
    int failures = 0;

    pmc::Owned<IPmsSnmpTarget> everyone = make_user_target("127.255.255.255", port, "pmsshaaes");
    V3EngineList engines;
    if (session->get_engine_id_broad_cast(everyone.get(), &engines) != PMC_S_OK ||
        engines.size() != 1) {
        failures |= 1;
    } else {
        void* view = nullptr;
        engines[0]->query_interface(PMS_IID_V3_TARGET, &view);
        if (std::strcmp(engines[0]->get_address()->get_text(), "127.0.0.1") != 0 ||
            static_cast<IPmsV3Target*>(view)->get_engine_id()->get_length() == 0) {
            failures |= 2;
        }
    }

    pmc::Owned<IPmsPdu> pdu = make_pdu(PMS_PDU_GET, {"1.3.6.1.2.1.1.5.0"});
    IPmsSnmpPacketList* raw = nullptr;
    if (session->send_broad_cast_sync(pdu.get(), everyone.get(), &raw) != PMC_S_OK) failures |= 4;
    pmc::Owned<IPmsSnmpPacketList> replies(raw);
    if (!replies || replies->count() != 1) {
        failures |= 8;
    } else {
        IPmcPtrList<IPmsSnmpPacket>::iterator it = replies->create_iterator(nullptr);
        IPmsPdu* answer = replies->current(it)->get_pdu();
        if (text_of(session_test::value_at(answer, 0)) != "pmsnmp-agent") failures |= 8;
        replies->release_iterator(it);
    }

    // An engine that rejects the user is skipped; nobody answering is no
    // engine at all. Both succeed with an empty list.
    struct Quiet {
        const char* user;
        unsigned short port;
    };
    for (const Quiet& quiet : {Quiet{"pmsnobody", port},
                               Quiet{"pmsshaaes", static_cast<unsigned short>(port + 1)}}) {
        auto target = make_user_target("127.255.255.255", quiet.port, quiet.user);
        raw = nullptr;
        if (session->send_broad_cast_sync(pdu.get(), target.get(), &raw) != PMC_S_OK) failures |= 16;
        replies.reset(raw);
        if (!replies || replies->count() != 0) failures |= 32;
    }
    return failures;
}

TEST(V3Discovery, AgentsOnTheAnyAddressAnswerALoopbackBroadcast) {
    const int code = pmc_test::run_in_private_network(discover_in_private_namespace);
    ASSERT_GE(code, 0) << "the child did not run to its end";
    if (code == pmc_test::kNoPrivateNetwork) GTEST_SKIP() << "no private network namespace allowed here";
    EXPECT_NE(code, pmc_test::kPrivateNetworkSetupFailed) << "could not start snmpd in the namespace";
    EXPECT_EQ(code, 0) << "failure bits " << code;
}

}  // namespace
