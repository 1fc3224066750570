// Binding lists, the hot data of every request, against Net-SNMP's
// variable lists in one run:
//   - split_front of k bindings off a request of n (fragmentation) vs
//     snmp_split_pdu, which copies the bindings it splits off;
//   - a deep copy of a list of n bindings vs snmp_clone_pdu.
// A split must cost O(k) whatever n is: compare the rows of equal k.
#include <benchmark/benchmark.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"
#include "value/value_factory.h"

namespace {

// ifInOctets.i, the kind of column a printer monitor reads in bulk.
constexpr oid kColumn[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 0};
constexpr size_t kColumnLength = sizeof kColumn / sizeof kColumn[0];

pmc::Owned<IPmsVarBindList> our_list(long n) {
    pmc::Owned<IPmsVarBindList> list(create_varbind_list(nullptr));
    for (long i = 0; i < n; ++i) {
        const std::string text = "1.3.6.1.2.1.2.2.1.10." + std::to_string(i + 1);
        list->add(pms_create_oid_from_text(text.c_str(), nullptr), nullptr);
    }
    return list;
}

netsnmp_pdu* peer_pdu(long n) {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    oid name[kColumnLength];
    for (size_t i = 0; i < kColumnLength; ++i) name[i] = kColumn[i];
    for (long i = 0; i < n; ++i) {
        name[kColumnLength - 1] = static_cast<oid>(i + 1);
        snmp_add_null_var(pdu, name, kColumnLength);
    }
    return pdu;
}

void split_args(benchmark::internal::Benchmark* b) {
    for (long n : {64, 1024, 16384}) {
        for (long k : {8, 64}) b->Args({n, k});
    }
}

void BM_SplitFront_Pmsnmp(benchmark::State& state) {
    pmc::Owned<IPmsVarBindList> list = our_list(state.range(0));
    const auto k = static_cast<pmc_ulong>(state.range(1));
    for (auto _ : state) {
        pmc::Owned<IPmsVarBindList> front(list->split_front(k, nullptr));
        // Give the bindings back so that every round splits off the same count.
        while (IPmsVarBind* binding = front->pop_front()) list->append(binding);
        benchmark::DoNotOptimize(front.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_SplitFront_Pmsnmp)->Apply(split_args);

void BM_SplitFront_NetSnmp(benchmark::State& state) {
    netsnmp_pdu* pdu = peer_pdu(state.range(0));
    const int k = static_cast<int>(state.range(1));
    for (auto _ : state) {
        netsnmp_pdu* front = snmp_split_pdu(pdu, 0, k);
        benchmark::DoNotOptimize(front);
        snmp_free_pdu(front);
    }
    snmp_free_pdu(pdu);
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_SplitFront_NetSnmp)->Apply(split_args);

void BM_CloneList_Pmsnmp(benchmark::State& state) {
    pmc::Owned<IPmsVarBindList> list = our_list(state.range(0));
    for (auto _ : state) {
        pmc::Owned<IPmsVarBindList> copy(list->clone(nullptr));
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CloneList_Pmsnmp)->Arg(8)->Arg(64)->Arg(512);

void BM_CloneList_NetSnmp(benchmark::State& state) {
    netsnmp_pdu* pdu = peer_pdu(state.range(0));
    for (auto _ : state) {
        netsnmp_pdu* copy = snmp_clone_pdu(pdu);
        benchmark::DoNotOptimize(copy);
        snmp_free_pdu(copy);
    }
    snmp_free_pdu(pdu);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CloneList_NetSnmp)->Arg(8)->Arg(64)->Arg(512);

}  // namespace

BENCHMARK_MAIN();
