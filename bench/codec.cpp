// The BER codec side by side with Net-SNMP's on the same messages: encoding a
// ready 1- and 20-binding GetRequest, and decoding the matching GetResponses
// (INTEGER and OCTET STRING values). Ours decodes into the existing request
// PDU; Net-SNMP parses into a new PDU, as its sessions do. Heap allocations
// are counted by replacing malloc and friends in this program.
//
// Ends with two lines:
//   codec vs net-snmp, fresh names: encode1=R encode20=R decode1=R decode20=R
//   codec vs net-snmp: encode1=R encode20=R decode1=R decode20=R allocs_per_decode20=N
// (R = Net-SNMP's CPU time / ours, measured in this run; CPU time because
// the build machine is shared and wall time includes waiting for a core).
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pmsnmp/owned.h>

#include "codec/codec_registry.h"
#include "message/pdu_factory.h"
#include "message/snmp_target.h"
#include "value/value_factory.h"

// --- allocation counting ----------------------------------------------------
// glibc lets a program replace its allocator by defining these; they forward
// to glibc's own and count. operator new goes through malloc.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {
std::atomic<unsigned long long> g_allocations{0};
}

extern "C" {
void* malloc(size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
void* memalign(size_t alignment, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *out = block;
    return 0;
}
}

namespace {

const char* const COMMUNITY = "public";
constexpr long REQUEST_ID = 0x1234;

void die(const char* what) {
    std::fprintf(stderr, "bench_codec: %s\n", what);
    std::exit(1);
}

// --- our side ---------------------------------------------------------------

std::string printer_oid(int n, int table = 1) {
    return "1.3.6.1.2.1.43.11.1.1.9." + std::to_string(table) + "." + std::to_string(n);
}

struct OurRequest {
    pmc::Owned<IPmsPdu> pdu;
    pmc::Owned<IPmsSnmpTarget> target;
    pmc::Owned<IPmsMessageBuffer> buffer;

    explicit OurRequest(int bindings, int table = 1) {
        pdu.reset(create_pdu(nullptr));
        target.reset(create_community_target(nullptr));
        buffer.reset(create_message_buffer(nullptr));
        if (!pdu || !target || !buffer) die("no memory");
        pdu->set_type(PMS_PDU_GET);
        pdu->set_request_id(REQUEST_ID);
        for (int i = 1; i <= bindings; ++i) {
            if (pdu->add_varbind(pms_create_oid_from_text(printer_oid(i, table).c_str(), nullptr), nullptr) !=
                PMC_S_OK) {
                die("add_varbind");
            }
        }
        target->set_version(PMS_VERSION_1);
        target->set_max_message_size(1400);
        IPmsCommunityTarget* community = nullptr;
        target->query_interface(PMS_IID_COMMUNITY_TARGET, reinterpret_cast<void**>(&community));
        if (community == nullptr || community->set_community(COMMUNITY) != PMC_S_OK) die("community");
    }

    pmc_long encode() { return codec_registry()->encode(pdu.get(), target.get(), buffer.get(), nullptr); }
};

// --- Net-SNMP's side --------------------------------------------------------

struct NetSnmp {
    NetSnmp() {
        setenv("MIBS", "", 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        init_snmp("pmsnmp-bench");
        snmp_sess_init(&session);
        session.version = SNMP_VERSION_1;
        session.community = reinterpret_cast<u_char*>(const_cast<char*>(COMMUNITY));
        session.community_len = std::strlen(COMMUNITY);
    }
    ~NetSnmp() { snmp_shutdown("pmsnmp-bench"); }
    netsnmp_session session;
};

NetSnmp& net_snmp() {
    static NetSnmp instance;
    return instance;
}

// An SNMPv1 PDU of command with the benchmarks' community and request id.
netsnmp_pdu* net_pdu(int command) {
    netsnmp_pdu* pdu = snmp_pdu_create(command);
    pdu->version = SNMP_VERSION_1;
    pdu->community = static_cast<u_char*>(std::malloc(std::strlen(COMMUNITY) + 1));
    std::memcpy(pdu->community, COMMUNITY, std::strlen(COMMUNITY) + 1);
    pdu->community_len = std::strlen(COMMUNITY);
    pdu->reqid = REQUEST_ID;
    return pdu;
}

netsnmp_pdu* net_request(int bindings) {
    netsnmp_pdu* pdu = net_pdu(SNMP_MSG_GET);
    for (int i = 1; i <= bindings; ++i) {
        oid name[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, 1, static_cast<oid>(i)};
        snmp_add_null_var(pdu, name, sizeof name / sizeof name[0]);
    }
    return pdu;
}

// The GetResponse to a request of n bindings: odd ones INTEGER, even ones
// OCTET STRING, as Net-SNMP encodes it.
std::vector<unsigned char> response_bytes(int bindings, oid table = 1) {
    netsnmp_pdu* pdu = net_pdu(SNMP_MSG_RESPONSE);
    for (int i = 1; i <= bindings; ++i) {
        oid name[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, table, static_cast<oid>(i)};
        if (i % 2 == 1) {
            long level = 1000L * i;
            snmp_pdu_add_variable(pdu, name, 13, ASN_INTEGER, &level, sizeof level);
        } else {
            const char text[] = "Black Toner Cartridge";
            snmp_pdu_add_variable(pdu, name, 13, ASN_OCTET_STR, text, sizeof text - 1);
        }
    }
    size_t capacity = 4096;
    u_char* packet = static_cast<u_char*>(std::malloc(capacity));
    size_t offset = 0;
    if (snmp_build(&packet, &capacity, &offset, &net_snmp().session, pdu) != 0) die("snmp_build");
    const bool reverse = netsnmp_ds_get_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE);
    const u_char* start = reverse ? packet + capacity - offset : packet;
    std::vector<unsigned char> bytes(start, start + offset);
    std::free(packet);
    snmp_free_pdu(pdu);
    return bytes;
}

// --- benchmarks ---------------------------------------------------------------

void BM_Encode_Ours(benchmark::State& state) {
    OurRequest request(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (request.encode() != PMC_S_OK) die("encode");
        benchmark::DoNotOptimize(request.buffer->current());
    }
}

// Two requests of different names in turn: the encoder never sees the same
// name at the same position twice in a row, as in a walk.
void BM_EncodeCold_Ours(benchmark::State& state) {
    OurRequest a(static_cast<int>(state.range(0)), 1);
    OurRequest b(static_cast<int>(state.range(0)), 2);
    bool flip = false;
    for (auto _ : state) {
        OurRequest& request = flip ? b : a;
        flip = !flip;
        if (request.encode() != PMC_S_OK) die("encode");
        benchmark::DoNotOptimize(request.buffer->current());
    }
}

void BM_Encode_NetSnmp(benchmark::State& state) {
    netsnmp_pdu* pdu = net_request(static_cast<int>(state.range(0)));
    size_t capacity = 1400;
    u_char* packet = static_cast<u_char*>(std::malloc(capacity));
    for (auto _ : state) {
        size_t offset = 0;
        if (snmp_build(&packet, &capacity, &offset, &net_snmp().session, pdu) != 0) die("snmp_build");
        benchmark::DoNotOptimize(packet);
    }
    std::free(packet);
    snmp_free_pdu(pdu);
}

struct OurDecode {
    OurRequest request;
    std::vector<unsigned char> wire;
    pmc::Owned<IPmsMessageBuffer> buffer;
    explicit OurDecode(int bindings) : request(bindings), wire(response_bytes(bindings)) {
        buffer.reset(create_message_buffer(nullptr));
        buffer->attach(wire.data(), static_cast<pmc_ulong>(wire.size()), PMS_BUFFER_BORROWED);
        // The first answer shapes the request's values; later ones reuse them.
        if (decode() != PMC_S_OK) die("decode");
        IPmsVarBindList* list = request.pdu->get_varbind_list();
        if (list->count() != static_cast<pmc_ulong>(bindings)) die("decoded count");
        if (list->get_at(0)->get_value()->get_int(nullptr) != 1000) die("decoded value");
    }
    pmc_long decode() {
        return codec_registry()->decode(buffer.get(), request.pdu.get(), request.target.get(),
                                        PMS_SECURITY_COMMUNITY);
    }
};

void BM_Decode_Ours(benchmark::State& state) {
    OurDecode decoder(static_cast<int>(state.range(0)));
    const unsigned long long before = g_allocations.load();
    for (auto _ : state) {
        if (decoder.decode() != PMC_S_OK) die("decode");
    }
    state.counters["allocs_per_decode"] =
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
}

// Answers whose names differ from what the PDU holds, in turn (as in a
// walk): every name is written anew.
void BM_DecodeCold_Ours(benchmark::State& state) {
    const int bindings = static_cast<int>(state.range(0));
    OurDecode decoder(bindings);
    std::vector<unsigned char> other = response_bytes(bindings, 2);
    pmc::Owned<IPmsMessageBuffer> other_buffer(create_message_buffer(nullptr));
    other_buffer->attach(other.data(), static_cast<pmc_ulong>(other.size()), PMS_BUFFER_BORROWED);
    bool flip = false;
    for (auto _ : state) {
        IPmsMessageBuffer* buffer = flip ? other_buffer.get() : decoder.buffer.get();
        flip = !flip;
        if (codec_registry()->decode(buffer, decoder.request.pdu.get(), decoder.request.target.get(),
                                     PMS_SECURITY_COMMUNITY) != PMC_S_OK) {
            die("decode");
        }
    }
}

void BM_Decode_NetSnmp(benchmark::State& state) {
    std::vector<unsigned char> wire = response_bytes(static_cast<int>(state.range(0)));
    const unsigned long long before = g_allocations.load();
    for (auto _ : state) {
        netsnmp_pdu* pdu = static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)));
        if (snmp_parse(nullptr, &net_snmp().session, pdu, wire.data(), wire.size()) != 0) die("snmp_parse");
        snmp_free_pdu(pdu);
    }
    state.counters["allocs_per_decode"] =
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_Encode_Ours)->Arg(1)->Arg(20);
BENCHMARK(BM_EncodeCold_Ours)->Arg(1)->Arg(20);
BENCHMARK(BM_Encode_NetSnmp)->Arg(1)->Arg(20);
BENCHMARK(BM_Decode_Ours)->Arg(1)->Arg(20);
BENCHMARK(BM_DecodeCold_Ours)->Arg(1)->Arg(20);
BENCHMARK(BM_Decode_NetSnmp)->Arg(1)->Arg(20);

// Keeps each run's time per iteration so that the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double ratio(const std::string& theirs, const std::string& ours) const {
        auto t = times_.find(theirs);
        auto o = times_.find(ours);
        if (t == times_.end() || o == times_.end() || o->second <= 0) return 0;
        return t->second / o->second;
    }

private:
    std::map<std::string, double> times_;
};

// Allocations of steady-state decodes into a PDU of the answer's shape.
double allocations_per_decode(int bindings) {
    OurDecode decoder(bindings);
    constexpr int rounds = 1000;
    const unsigned long long before = g_allocations.load();
    for (int i = 0; i < rounds; ++i) {
        if (decoder.decode() != PMC_S_OK) die("decode");
    }
    return static_cast<double>(g_allocations.load() - before) / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    net_snmp();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("codec vs net-snmp, fresh names: encode1=%.2f encode20=%.2f decode1=%.2f decode20=%.2f\n",
                reporter.ratio("BM_Encode_NetSnmp/1", "BM_EncodeCold_Ours/1"),
                reporter.ratio("BM_Encode_NetSnmp/20", "BM_EncodeCold_Ours/20"),
                reporter.ratio("BM_Decode_NetSnmp/1", "BM_DecodeCold_Ours/1"),
                reporter.ratio("BM_Decode_NetSnmp/20", "BM_DecodeCold_Ours/20"));
    std::printf("codec vs net-snmp: encode1=%.2f encode20=%.2f decode1=%.2f decode20=%.2f "
                "allocs_per_decode20=%g\n",
                reporter.ratio("BM_Encode_NetSnmp/1", "BM_Encode_Ours/1"),
                reporter.ratio("BM_Encode_NetSnmp/20", "BM_Encode_Ours/20"),
                reporter.ratio("BM_Decode_NetSnmp/1", "BM_Decode_Ours/1"),
                reporter.ratio("BM_Decode_NetSnmp/20", "BM_Decode_Ours/20"),
                allocations_per_decode(20));
    return 0;
}
