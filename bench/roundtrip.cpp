// Request round trips and walks through the get-data facade against the
// Net-SNMP peers, in one run against the same local snmpd:
//   - get_integer of one binding vs Net-SNMP's synchronous API opening a
//     session per request (a facade call opens one socket: the fair pair),
//     and vs Net-SNMP reusing one session (the stretch figure);
//   - a walk of 1.3.6.1.2.1 vs `snmpwalk -v1 -On`, and the client layer's
//     GetBulk walk of it vs `snmpbulkwalk -v2c -On`;
//   - an authPriv (SHA+AES) get_integer through the facade vs Net-SNMP's
//     synchronous API opening a session per request (key localisation and
//     engine discovery on both sides);
//   - the same GET as raw datagrams on a socket per exchange and on one
//     socket for all, which prices the socket each operation of ours opens.
// snmpd is pinned to CPU 0; every client runs once on CPU 0 (same_cpu) and
// once on CPU 1 (cross_cpu), since a loopback exchange costs an order of
// magnitude more across CPUs and unpinned runs jump between the two.
// The last lines give R = the peer's median time / ours (R >= 1: we are at
// least as fast), the facade's round trip at the median and the 99th
// percentile, and the walk's peak resident memory per object.
#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "api/client_walk.h"

// The fixture's configuration lives in tests/support beside this folder.
#define PMSNMP_TEST_SUPPORT_DIR                                              \
    (std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/bench/")) + \
     "/tests/support")
#include "../tests/support/snmpd_fixture.h"

namespace {

constexpr int kAgentCpu = 0;
constexpr int kRepetitions = 9;
constexpr double kRoundtripMinSeconds = 0.2;
// Run before each timed repetition and not counted: the agent and the
// machine settle first.
constexpr double kWarmUpSeconds = 0.1;
constexpr int kWalkIterations = 1;
constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kRetries = 1;
const char* const kScalar = "1.3.6.1.2.1.2.1";  // ifNumber, an INTEGER
const oid kScalarOid[] = {1, 3, 6, 1, 2, 1, 2, 1, 0};
const char* const kWalkRoot = "1.3.6.1.2.1";
const char* const kSystemRoot = "1.3.6.1.2.1.1";

// GetRequest (v1, community "pmsread", request id 1) for ifNumber.0.
const unsigned char kRawGet[] = {
    0x30, 0x27, 0x02, 0x01, 0x00, 0x04, 0x07, 'p',  'm',  's',  'r',  'e',  'a',  'd',
    0xa0, 0x19, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0e, 0x30,
    0x0c, 0x06, 0x08, 0x2b, 0x06, 0x01, 0x02, 0x01, 0x02, 0x01, 0x00, 0x05, 0x00};
constexpr int kRawReceiveSize = 2048;

pmstest::SnmpdFixture* agent = nullptr;
double walked_objects = 0;
// Per placement: every facade round trip in microseconds, and the walk's
// peak resident bytes per object.
std::vector<double> facade_round_trips[2];
double walk_peak_per_object[2] = {0, 0};
int client_cpus[2] = {0, 1};  // same_cpu, cross_cpu
const char* const kPlacements[2] = {"same_cpu", "cross_cpu"};

void pin_self(int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
}

pmc::Owned<IPmcGetData> open_facade() {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    object->set_community(pmstest::SnmpdFixture::kReadCommunity);
    object->open("127.0.0.1", PMC_ADDRESS_IPV4, agent->port(), PMS_VERSION_1, nullptr, 0, 0, 0,
                 nullptr, nullptr, nullptr, kTimeoutMs, kRetries, 0);
    return object;
}

void BM_FacadeGetInteger(benchmark::State& state, int placement) {
    pin_self(client_cpus[placement]);
    auto object = open_facade();
    std::vector<double>& samples = facade_round_trips[placement];
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        object->add_get_variable(kScalar, true);
        pmc_long value = 0;
        if (object->get_integer(&value) != PMC_S_OK) {
            state.SkipWithError("get_integer failed");
            break;
        }
        benchmark::DoNotOptimize(value);
        samples.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started)
                              .count());
    }
}

// A "Vm...:" figure of /proc/self/status in bytes; 0 when absent.
double status_bytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    double kib = 0;
    while (status >> name) {
        if (name == field + ":" && status >> kib) return kib * 1024;
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// Restarts the process's peak resident size at its current size, after
// handing freed heap back, so that an earlier walk's pages do not hide
// what this one needs.
void reset_peak_rss() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

netsnmp_session* open_netsnmp(const std::string& peer) {
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.peername = const_cast<char*>(peer.c_str());
    settings.community =
        reinterpret_cast<u_char*>(const_cast<char*>(pmstest::SnmpdFixture::kReadCommunity));
    settings.community_len = std::strlen(pmstest::SnmpdFixture::kReadCommunity);
    settings.timeout = kTimeoutMs * 1000L;
    settings.retries = kRetries;
    return snmp_open(&settings);
}

// One GET of the scalar on an open session; false when it failed.
bool netsnmp_get(netsnmp_session* session, long* value) {
    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
    snmp_add_null_var(request, kScalarOid, OID_LENGTH(kScalarOid));
    netsnmp_pdu* response = nullptr;
    const int status = snmp_synch_response(session, request, &response);
    const bool ok = status == STAT_SUCCESS && response != nullptr &&
                    response->errstat == SNMP_ERR_NOERROR && response->variables != nullptr &&
                    response->variables->type == ASN_INTEGER;
    if (ok) *value = *response->variables->val.integer;
    if (response != nullptr) snmp_free_pdu(response);
    return ok;
}

void netsnmp_session_per_request(benchmark::State& state, int placement,
                                 netsnmp_session* (*open)(const std::string&)) {
    pin_self(client_cpus[placement]);
    const std::string peer = agent->ipv4_peer();
    for (auto _ : state) {
        netsnmp_session* session = open(peer);
        long value = 0;
        const bool ok = session != nullptr && netsnmp_get(session, &value);
        if (session != nullptr) snmp_close(session);
        if (!ok) {
            state.SkipWithError("net-snmp get failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
}

void BM_NetSnmpSessionPerRequest(benchmark::State& state, int placement) {
    netsnmp_session_per_request(state, placement, open_netsnmp);
}

// The SNMPv3 user both sides speak as (tests/support/snmpd_v3.conf).
const char* const kV3User = "pmsshaaes";
const char* const kV3AuthPhrase = "pmsshapass";
const char* const kV3PrivPhrase = "pmsaespass";

void BM_FacadeV3GetInteger(benchmark::State& state, int placement) {
    pin_self(client_cpus[placement]);
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    object->open("127.0.0.1", PMC_ADDRESS_IPV4, agent->port(), PMS_VERSION_3, kV3User,
                 PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, kV3AuthPhrase, kV3PrivPhrase,
                 nullptr, kTimeoutMs, kRetries, 0);
    for (auto _ : state) {
        object->add_get_variable(kScalar, true);
        pmc_long value = 0;
        if (object->get_integer(&value) != PMC_S_OK) {
            state.SkipWithError("v3 get_integer failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
}

netsnmp_session* open_netsnmp_v3(const std::string& peer) {
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_3;
    settings.peername = const_cast<char*>(peer.c_str());
    settings.securityName = const_cast<char*>(kV3User);
    settings.securityNameLen = std::strlen(kV3User);
    settings.securityLevel = SNMP_SEC_LEVEL_AUTHPRIV;
    settings.securityAuthProto = usmHMACSHA1AuthProtocol;
    settings.securityAuthProtoLen = USM_AUTH_PROTO_SHA_LEN;
    settings.securityPrivProto = usmAESPrivProtocol;
    settings.securityPrivProtoLen = USM_PRIV_PROTO_AES_LEN;
    settings.securityAuthKeyLen = USM_AUTH_KU_LEN;
    settings.securityPrivKeyLen = USM_PRIV_KU_LEN;
    const auto* auth = reinterpret_cast<const u_char*>(kV3AuthPhrase);
    const auto* priv = reinterpret_cast<const u_char*>(kV3PrivPhrase);
    if (generate_Ku(settings.securityAuthProto, settings.securityAuthProtoLen, auth,
                    std::strlen(kV3AuthPhrase), settings.securityAuthKey,
                    &settings.securityAuthKeyLen) != SNMPERR_SUCCESS ||
        generate_Ku(settings.securityAuthProto, settings.securityAuthProtoLen, priv,
                    std::strlen(kV3PrivPhrase), settings.securityPrivKey,
                    &settings.securityPrivKeyLen) != SNMPERR_SUCCESS) {
        return nullptr;
    }
    settings.timeout = kTimeoutMs * 1000L;
    settings.retries = kRetries;
    return snmp_open(&settings);
}

void BM_NetSnmpV3SessionPerRequest(benchmark::State& state, int placement) {
    netsnmp_session_per_request(state, placement, open_netsnmp_v3);
}

// One session for every request: keys derived and (SNMPv3) the engine
// discovered once, when it opens.
void netsnmp_reused_session(benchmark::State& state, int placement,
                            netsnmp_session* (*open)(const std::string&)) {
    pin_self(client_cpus[placement]);
    netsnmp_session* session = open(agent->ipv4_peer());
    if (session == nullptr) {
        state.SkipWithError("snmp_open failed");
        return;
    }
    for (auto _ : state) {
        long value = 0;
        if (!netsnmp_get(session, &value)) {
            state.SkipWithError("net-snmp get failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    snmp_close(session);
}

void BM_NetSnmpReusedSession(benchmark::State& state, int placement) {
    netsnmp_reused_session(state, placement, open_netsnmp);
}

void BM_NetSnmpV3ReusedSession(benchmark::State& state, int placement) {
    netsnmp_reused_session(state, placement, open_netsnmp_v3);
}

// Walks root through the facade; reports the objects returned and the heap
// the kept responses take per object (flat when memory grows linearly).
void facade_walk(benchmark::State& state, int placement, const char* root) {
    pin_self(client_cpus[placement]);
    double objects = 0;
    double bytes_per_object = 0;
    double peak_per_object = 0;
    for (auto _ : state) {
        auto object = open_facade();
        pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
        object->add_get_variable(root, false);
        const std::size_t before = mallinfo2().uordblks;
        reset_peak_rss();
        const double resident = status_bytes("VmRSS");
        if (object->walk(responses.get(), root) != PMC_S_OK) {
            state.SkipWithError("walk failed");
            break;
        }
        const double peak = status_bytes("VmHWM");
        const std::size_t after = mallinfo2().uordblks;
        objects = responses->count();
        bytes_per_object = objects > 0 ? static_cast<double>(after - before) / objects : 0;
        peak_per_object = objects > 0 ? (peak - resident) / objects : 0;
    }
    state.counters["objects"] = objects;
    state.counters["heap_bytes_per_object"] = bytes_per_object;
    state.counters["peak_rss_bytes_per_object"] = peak_per_object;
}

void BM_FacadeWalk(benchmark::State& state, int placement) {
    facade_walk(state, placement, kWalkRoot);
    walked_objects = state.counters["objects"];
    walk_peak_per_object[placement] = state.counters["peak_rss_bytes_per_object"];
}

// The tool's way: the client layer's GetBulk walk over SNMPv2c, each
// binding copied out as the tool keeps it.
void BM_ClientBulkWalk(benchmark::State& state, int placement) {
    pin_self(client_cpus[placement]);
    NPmcClient::TargetOptions options;
    options.address = "127.0.0.1";
    options.address_kind = PMC_ADDRESS_IPV4;
    options.port = agent->port();
    options.version = PMS_VERSION_2C;
    options.community = pmstest::SnmpdFixture::kReadCommunity;
    options.timeout_ms = kTimeoutMs;
    options.retries = kRetries;
    const NPmcClient::Oid root = *NPmcClient::Oid::parse(kWalkRoot);
    double objects = 0;
    for (auto _ : state) {
        NPmcClient::Bindings bindings;
        const auto result = NPmcClient::bulk_walk(options, root, 0, NPmcClient::PMC_WALK_UNBOUNDED,
                                                  [&bindings](const NPmcClient::Binding& binding) {
                                                      bindings.push_back(binding);
                                                      return PMC_S_OK;
                                                  });
        if (result.status != PMC_S_OK) {
            state.SkipWithError("bulk walk failed");
            break;
        }
        objects = static_cast<double>(bindings.size());
    }
    state.counters["objects"] = objects;
}

void BM_FacadeWalkSystem(benchmark::State& state, int placement) {
    facade_walk(state, placement, kSystemRoot);
}

// A UDP socket bound to any port, as each exchange of ours opens one.
int open_raw_socket() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (fd >= 0 && (bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
                    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends the GET and waits for any answer; false on a failure or time-out.
bool raw_exchange(int fd, const sockaddr_in& to) {
    if (sendto(fd, kRawGet, sizeof kRawGet, 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to) != static_cast<ssize_t>(sizeof kRawGet)) {
        return false;
    }
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(kTimeoutMs)) != 1) return false;
    unsigned char answer[kRawReceiveSize];
    return recv(fd, answer, sizeof answer, 0) > 0;
}

void BM_RawExchange(benchmark::State& state, int placement, bool socket_per_exchange) {
    pin_self(client_cpus[placement]);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(agent->port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int shared = socket_per_exchange ? -1 : open_raw_socket();
    for (auto _ : state) {
        const int fd = socket_per_exchange ? open_raw_socket() : shared;
        const bool ok = fd >= 0 && raw_exchange(fd, to);
        if (socket_per_exchange && fd >= 0) close(fd);
        if (!ok) {
            state.SkipWithError("raw exchange failed");
            break;
        }
    }
    if (shared >= 0) close(shared);
}

// program ("snmpwalk" or "snmpbulkwalk") at version, pinned as ours.
void net_snmp_walk(benchmark::State& state, int placement, const char* program, const char* version) {
    const std::string cpu = std::to_string(client_cpus[placement]);
    double lines = 0;
    for (auto _ : state) {
        pmstest::ToolResult result =
            agent->run_tool({"taskset", "-c", cpu, program, version, "-c",
                             pmstest::SnmpdFixture::kReadCommunity, "-On", "-t", "2", "-r", "1",
                             agent->ipv4_peer(), kWalkRoot});
        if (result.exit_code != 0) {
            state.SkipWithError("net-snmp walk failed");
            break;
        }
        lines = 0;
        for (char c : result.out) lines += c == '\n';
    }
    state.counters["lines"] = lines;
}

void BM_Snmpwalk(benchmark::State& state, int placement) { net_snmp_walk(state, placement, "snmpwalk", "-v1"); }

void BM_Snmpbulkwalk(benchmark::State& state, int placement) {
    net_snmp_walk(state, placement, "snmpbulkwalk", "-v2c");
}

// Console output as usual, and the median real time of every benchmark.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

void register_all() {
    for (int p = 0; p < 2; ++p) {
        const std::string where = std::string("/") + kPlacements[p];
        benchmark::RegisterBenchmark(("roundtrip/facade" + where).c_str(), BM_FacadeGetInteger, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("roundtrip/net-snmp" + where).c_str(),
                                     BM_NetSnmpSessionPerRequest, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("roundtrip/net-snmp-reused" + where).c_str(),
                                     BM_NetSnmpReusedSession, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("raw/socket-per-exchange" + where).c_str(),
                                     BM_RawExchange, p, true)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("raw/one-socket" + where).c_str(), BM_RawExchange, p, false)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        const std::pair<const char*, void (*)(benchmark::State&, int)> walks[] = {
            {"walk/facade", BM_FacadeWalk},
            {"walk/snmpwalk", BM_Snmpwalk},
            {"bulkwalk/client", BM_ClientBulkWalk},
            {"bulkwalk/snmpbulkwalk", BM_Snmpbulkwalk}};
        for (const auto& [name, function] : walks) {
            benchmark::RegisterBenchmark((name + where).c_str(), function, p)
                ->Iterations(kWalkIterations)->Repetitions(kRepetitions)->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    for (int p = 0; p < 2; ++p) {
        const std::string where = std::string("/") + kPlacements[p];
        benchmark::RegisterBenchmark(("v3/facade" + where).c_str(), BM_FacadeV3GetInteger, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("v3/net-snmp" + where).c_str(),
                                     BM_NetSnmpV3SessionPerRequest, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("v3/net-snmp-reused" + where).c_str(),
                                     BM_NetSnmpV3ReusedSession, p)
            ->MinTime(kRoundtripMinSeconds)->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions)->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }
    // The same walk over a subtree a tenth the size: equal bytes per object
    // mean memory grows linearly with the objects returned.
    benchmark::RegisterBenchmark("walk/facade-system/same_cpu", BM_FacadeWalkSystem, 0)
        ->Iterations(kWalkIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
}

// One figure from the medians of two benchmarks (each in its own unit).
using Figure = std::string (*)(double peer, double ours, double scale);

std::string ratio(double peer, double ours, double) {
    if (ours <= 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", peer / ours);
    return text;
}

// How much longer ours took, divided by scale and shown in microseconds.
std::string excess_us(double peer, double ours, double scale) {
    if (scale <= 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.1fus", (ours - peer) / scale);
    return text;
}

std::string figure_for(const MedianReporter& reporter, const std::string& peer,
                       const std::string& ours, Figure figure, double scale) {
    const auto p = reporter.medians.find(peer);
    const auto o = reporter.medians.find(ours);
    if (p == reporter.medians.end() || o == reporter.medians.end()) return "n/a";
    return figure(p->second, o->second, scale);
}

void print_line(const MedianReporter& reporter, const char* label, const std::string& peer,
                const std::string& ours, Figure figure = ratio, double scale = 1) {
    std::string values;
    for (const char* where : kPlacements) {
        const std::string suffix = std::string("/") + where;
        values += std::string(values.empty() ? "" : " ") + where + "=" +
                  figure_for(reporter, peer + suffix, ours + suffix, figure, scale);
    }
    std::printf("%s: %s\n", label, values.c_str());
}

// The raw exchanges are timed in us, the walks in ms.
void print_costs(const MedianReporter& reporter) {
    constexpr double kUsPerMs = 1000.0;
    print_line(reporter, "socket per exchange costs", "raw/one-socket", "raw/socket-per-exchange",
               excess_us);
    print_line(reporter, "walk time over snmpwalk per object", "walk/snmpwalk", "walk/facade",
               excess_us, walked_objects / kUsPerMs);
}

// The facade's round trip in microseconds: the median next to the 99th
// percentile of every single exchange.
void print_round_trip(const MedianReporter& reporter) {
    std::string values;
    for (int p = 0; p < 2; ++p) {
        std::vector<double>& samples = facade_round_trips[p];
        const auto median = reporter.medians.find(std::string("roundtrip/facade/") + kPlacements[p]);
        char text[96] = "n/a";
        if (!samples.empty() && median != reporter.medians.end()) {
            const std::size_t at = samples.size() * 99 / 100;
            std::nth_element(samples.begin(), samples.begin() + at, samples.end());
            std::snprintf(text, sizeof text, "median=%.1fus p99=%.1fus", median->second, samples[at]);
        }
        values += std::string(values.empty() ? "" : " ") + kPlacements[p] + ": " + text;
    }
    std::printf("facade roundtrip: %s\n", values.c_str());
}

void print_walk_memory() {
    std::printf("walk peak resident memory per object: same_cpu=%.0fB cross_cpu=%.0fB\n",
                walk_peak_per_object[0], walk_peak_per_object[1]);
}

// Ours and the peer's repetitions run in a random order, so that neither
// gets the agent while it warms up or the machine while it is busy.
std::vector<char*> with_interleaving(int argc, char** argv) {
    static char flag[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> out(argv, argv + argc);
    const bool given = std::any_of(out.begin(), out.end(), [](const char* argument) {
        return std::strstr(argument, "random_interleaving") != nullptr;
    });
    if (!given) out.insert(out.begin() + 1, flag);
    out.push_back(nullptr);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = with_interleaving(argc, argv);
    argc = static_cast<int>(arguments.size()) - 1;
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (sysconf(_SC_NPROCESSORS_ONLN) < 2) client_cpus[1] = 0;  // no second CPU to cross to

    std::string error;
    pmstest::SnmpdFixture snmpd("snmpd_v3.conf");
    if (!snmpd.start(&error)) {
        std::fprintf(stderr, "snmpd: %s\n", error.c_str());
        return 1;
    }
    agent = &snmpd;
    snmpd.run_tool({"taskset", "-pc", std::to_string(kAgentCpu), std::to_string(snmpd.pid())});

    // The in-process Net-SNMP peer reads no MIB and no user configuration.
    for (const std::string& entry : snmpd.environment_strings()) {
        const std::size_t eq = entry.find('=');
        const std::string name = entry.substr(0, eq);
        if (name == "MIBS" || name == "SNMP_PERSISTENT_DIR" || name == "SNMPCONFPATH") {
            setenv(name.c_str(), entry.substr(eq + 1).c_str(), 1);
        }
    }
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    init_snmp("pmsnmp-bench");

    register_all();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    snmp_shutdown("pmsnmp-bench");
    snmpd.stop();

    print_line(reporter, "roundtrip vs net-snmp", "roundtrip/net-snmp", "roundtrip/facade");
    print_line(reporter, "walk vs snmpwalk", "walk/snmpwalk", "walk/facade");
    print_line(reporter, "v3 roundtrip vs net-snmp", "v3/net-snmp", "v3/facade");
    print_line(reporter, "v3 roundtrip vs net-snmp-reused", "v3/net-snmp-reused", "v3/facade");
    print_line(reporter, "roundtrip vs net-snmp-reused", "roundtrip/net-snmp-reused",
               "roundtrip/facade");
    print_line(reporter, "bulkwalk vs snmpbulkwalk", "bulkwalk/snmpbulkwalk", "bulkwalk/client");
    print_round_trip(reporter);
    print_walk_memory();
    print_costs(reporter);
    return 0;
}
