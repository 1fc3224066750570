// Discovery at scale: one broadcast to 127.255.255.255 answered from N
// loopback addresses (127.2.x.y), and the CPU the discovering thread spends
// per answer. Per-answer cost must not grow with the list.
//   bench_discover [N ...]   (default 1000 6000)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "net/network_address.h"
#include "session/session_dispatcher.h"
#include "value/value_factory.h"

namespace {

constexpr const char* kBroadcast = "127.255.255.255";
constexpr pmc_long kListenMs = 2000;
constexpr int kPacedBurst = 200;  // answers sent back to back before a short pause

double thread_cpu_us() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

int udp_socket(const char* address, unsigned short port, bool reuse) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    if (reuse) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    inet_pton(AF_INET, address, &where.sin_addr);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

// The request turned into its answer: a Get of short lengths whose PDU tag
// becomes Response (its NULL values stay).
bool make_answer(std::vector<unsigned char>* message) {
    std::vector<unsigned char>& m = *message;
    if (m.size() < 8 || m[0] != 0x30 || (m[1] & 0x80) != 0) return false;
    std::size_t at = 2;
    at += 2 + m[at + 1];  // version
    if (at + 1 >= m.size()) return false;
    at += 2 + m[at + 1];  // community
    if (at >= m.size() || m[at] != 0xA0) return false;
    m[at] = 0xA2;
    return true;
}

// Plays n agents: waits for the broadcast, then answers it from n addresses.
void crowd(int listener, int n) {
    std::vector<unsigned char> request(2048);
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const ssize_t got = recvfrom(listener, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&peer), &length);
    if (got <= 0) return;
    request.resize(static_cast<std::size_t>(got));
    if (!make_answer(&request)) return;
    for (int i = 0; i < n; ++i) {
        char address[32];
        std::snprintf(address, sizeof address, "127.2.%d.%d", i / 250, i % 250 + 1);
        const int fd = udp_socket(address, 0, false);
        if (fd < 0) continue;
        sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&peer), length);
        close(fd);
        if (i % kPacedBurst == kPacedBurst - 1) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

pmc::Owned<IPmsSnmpTarget> broadcast_target(unsigned short port) {
    pmc::Owned<IPmsSnmpTarget> target(create_community_target(nullptr));
    target->set_version(PMS_VERSION_1);
    target->set_timeout(kListenMs);
    target->set_retries(0);
    target->set_max_message_size(1400);
    IPmsCommunityTarget* community = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, reinterpret_cast<void**>(&community));
    if (community != nullptr) community->set_community("public");
    pmc::Owned<CPmcNetworkAddress> where(pmc_create_network_address_from_text(kBroadcast, port, nullptr));
    target->set_address(where.get());
    return target;
}

bool run(int n) {
    const int listener = udp_socket(kBroadcast, 0, true);
    if (listener < 0) return false;
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &length);
    std::thread agents(crowd, listener, n);

    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(nullptr));
    pmc::Owned<IPmsPdu> pdu(create_pdu(nullptr));
    pdu->set_type(PMS_PDU_GET);
    pdu->add_varbind(pms_create_oid_from_text("1.3.6.1.2.1.1.5.0", nullptr), nullptr);
    pmc::Owned<IPmsSnmpTarget> target = broadcast_target(ntohs(bound.sin_port));
    IPmsSnmpPacketList* raw = nullptr;
    const double start = thread_cpu_us();
    const pmc_long status = dispatcher->send_broad_cast_sync(pdu.get(), target.get(), &raw);
    const double spent = thread_cpu_us() - start;
    pmc::Owned<IPmsSnmpPacketList> replies(raw);
    agents.join();
    close(listener);
    const unsigned long listed = replies ? replies->count() : 0;
    std::printf("discover: %d answers, %.1f us CPU per answer (%lu listed, status %d)\n", n,
                listed != 0 ? spent / listed : 0.0, listed, static_cast<int>(status));
    return status == PMC_S_OK && listed == static_cast<unsigned long>(n);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {1000, 6000};
    bool all = true;
    for (const int n : counts) all = run(n) && all;
    return all ? 0 : 1;
}
