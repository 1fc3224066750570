// The cost of a trace line: disabled (the default, mask 0), formatted
// without output, and written to a file, next to a plain fprintf + fflush.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <pmsnmp/owned.h>

#include "log/component_log.h"
#include "log/file_log_writer.h"
#include "log/log_manager_impl.h"
#include "log/null_log_objects.h"

namespace {

std::string bench_path(const char* name) {
    return std::string("/tmp/pmsnmp_bench_") + std::to_string(getpid()) + "_" + name;
}

void remove_log(const std::string& path) {
    std::remove(path.c_str());
    std::remove((path + ".bak").c_str());
}

void BM_DisabledLine(benchmark::State& state) {
    pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("bench"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            session->write_line(PMC_LOG_DEBUG, "request %d to %s: %d bindings", 42, "127.0.0.1", 3));
    }
}
BENCHMARK(BM_DisabledLine);

void BM_DisabledTraceScope(benchmark::State& state) {
    pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("bench"));
    for (auto _ : state) {
        PmcTraceScope scope(session.get(), "CPmsRequestSession::send_sync");
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DisabledTraceScope);

void BM_ComponentSlotDisabledLine(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(pmc_snmp_log()->write_line(PMC_LOG_TRACE, "[%s] enter.", "x"));
    }
}
BENCHMARK(BM_ComponentSlotDisabledLine);

void BM_EnabledLineFormattedOnly(benchmark::State& state) {
    pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("bench"));
    session->add_writer(pmc_null_file_writer());
    session->set_level_mask(PMC_LOG_ALL);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            session->write_line(PMC_LOG_DEBUG, "request %d to %s: %d bindings", 42, "127.0.0.1", 3));
    }
}
BENCHMARK(BM_EnabledLineFormattedOnly);

void BM_EnabledLineToFile(benchmark::State& state) {
    const std::string path = bench_path("enabled.log");
    remove_log(path);
    {
        pmc::Owned<CPmcFileLogWriter> file(CPmcFileLogWriter::create("bench-file"));
        file->set_path(path.c_str());
        pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("bench"));
        session->add_writer(file.get());
        session->set_level_mask(PMC_LOG_ALL);
        for (auto _ : state) {
            benchmark::DoNotOptimize(session->write_line(
                PMC_LOG_DEBUG, "request %d to %s: %d bindings", 42, "127.0.0.1", 3));
        }
    }
    remove_log(path);
}
BENCHMARK(BM_EnabledLineToFile);

// The floor: one formatted line appended and flushed, with no prefix.
void BM_PlainFprintfFlush(benchmark::State& state) {
    const std::string path = bench_path("plain.log");
    std::FILE* file = std::fopen(path.c_str(), "a");
    for (auto _ : state) {
        std::fprintf(file, "request %d to %s: %d bindings\n", 42, "127.0.0.1", 3);
        std::fflush(file);
    }
    std::fclose(file);
    std::remove(path.c_str());
}
BENCHMARK(BM_PlainFprintfFlush);

}  // namespace

BENCHMARK_MAIN();
