// Value and identifier costs on the paths every request takes, with
// Net-SNMP's identifier comparison beside ours.
#include <benchmark/benchmark.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <pmsnmp/owned.h>

#include "value/oid_arcs.h"
#include "value/value_factory.h"

namespace {

constexpr const char* kSysDescr12 = "1.3.6.1.2.1.43.11.1.1.9.1";  // a printer supply level, 12 arcs
constexpr const char* kSibling12 = "1.3.6.1.2.1.43.11.1.1.9.2";
constexpr pmc_ulong kArcs12[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, 1};

void BM_ValueCreateRelease(benchmark::State& state) {
    const auto type = static_cast<pmc_long>(state.range(0));
    for (auto _ : state) {
        IPmsValue* value = pms_create_value(type, nullptr);
        benchmark::DoNotOptimize(value);
        value->release();
    }
}
BENCHMARK(BM_ValueCreateRelease)
    ->Arg(PMS_TYPE_INTEGER)
    ->Arg(PMS_TYPE_OCTET_STRING)
    ->Arg(PMS_TYPE_IP_ADDRESS)
    ->Arg(PMS_TYPE_OID);

// Makes and releases a copy per iteration.
template <class Clone>
void time_clones(benchmark::State& state, Clone clone) {
    for (auto _ : state) {
        auto* copy = clone();
        benchmark::DoNotOptimize(copy);
        copy->release();
    }
}

void BM_ValueCloneOctetString(benchmark::State& state) {
    pmc::Owned<IPmsValue> value(pms_create_value_from_text("Office printer, firmware 2.1, serial 0123456789", PMS_TYPE_OCTET_STRING, nullptr));
    time_clones(state, [&] { return value->clone(nullptr); });
}
BENCHMARK(BM_ValueCloneOctetString);

void BM_OidClone12(benchmark::State& state) {
    pmc::Owned<IPmsOid> oid(pms_create_oid_from_text(kSysDescr12, nullptr));
    time_clones(state, [&] { return oid->clone_oid(nullptr); });
}
BENCHMARK(BM_OidClone12);

void BM_OidAppendArc12(benchmark::State& state) {
    pmc::Owned<IPmsOid> oid(pms_create_oid(nullptr));
    for (auto _ : state) {
        oid->clear();
        for (pmc_ulong arc : kArcs12) oid->append_arc(arc);
        benchmark::DoNotOptimize(oid->get_length());
    }
}
BENCHMARK(BM_OidAppendArc12);

void BM_OidCompare12(benchmark::State& state) {
    pmc::Owned<IPmsOid> a(pms_create_oid_from_text(kSysDescr12, nullptr));
    pmc::Owned<IPmsOid> b(pms_create_oid_from_text(kSibling12, nullptr));
    for (auto _ : state) benchmark::DoNotOptimize(a->compare(b.get(), nullptr));
}
BENCHMARK(BM_OidCompare12);

void BM_NetsnmpOidCompare12(benchmark::State& state) {
    const oid a[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, 1};
    const oid b[] = {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, 2};
    for (auto _ : state) benchmark::DoNotOptimize(snmp_oid_compare(a, 12, b, 12));
}
BENCHMARK(BM_NetsnmpOidCompare12);

void BM_OidReadArcs12(benchmark::State& state) {
    pmc::Owned<IPmsOid> oid(pms_create_oid_from_text(kSysDescr12, nullptr));
    pmc_ulong arcs[16];
    for (auto _ : state) {
        pmc_ulong count = 0;
        benchmark::DoNotOptimize(pms_oid_read_arcs(oid.get(), arcs, 16, &count));
        benchmark::DoNotOptimize(arcs[count - 1]);
    }
}
BENCHMARK(BM_OidReadArcs12);

// The element-by-element walk the one-pass reader replaces.
void BM_OidGetElementLoop12(benchmark::State& state) {
    pmc::Owned<IPmsOid> oid(pms_create_oid_from_text(kSysDescr12, nullptr));
    for (auto _ : state) {
        const pmc_ulong count = oid->get_length();
        pmc_ulong sum = 0;
        for (pmc_ulong i = 0; i < count; ++i) sum += oid->get_element(i, nullptr);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_OidGetElementLoop12);

void BM_OidAssignArcs12(benchmark::State& state) {
    pmc::Owned<IPmsOid> oid(pms_create_oid(nullptr));
    for (auto _ : state) {
        benchmark::DoNotOptimize(pms_oid_assign_arcs(oid.get(), kArcs12, 12));
    }
}
BENCHMARK(BM_OidAssignArcs12);

// Net-SNMP's numeric identifier text to arcs, for the reader above.
void BM_NetsnmpReadObjid12(benchmark::State& state) {
    oid arcs[MAX_OID_LEN];
    size_t checked = MAX_OID_LEN;
    if (read_objid(kSysDescr12, arcs, &checked) == 0 || checked != 12) {
        state.SkipWithError("read_objid does not parse numeric identifiers here");
        return;
    }
    for (auto _ : state) {
        size_t length = MAX_OID_LEN;
        benchmark::DoNotOptimize(read_objid(kSysDescr12, arcs, &length));
    }
}
BENCHMARK(BM_NetsnmpReadObjid12);

}  // namespace

int main(int argc, char** argv) {
    // Keep Net-SNMP from reading the user's configuration or MIB files.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_set_mib_directory("");
    netsnmp_init_mib();  // numeric identifiers only: no MIB file is loaded
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
