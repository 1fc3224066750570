// Soak: many get-data objects on several threads poll the test agent for a
// given time while it injects faults at random (drops, late answers,
// garbage, truncated datagrams, wrong request ids, tooBig, answers from
// another address, walks that do not advance). Prints operations per
// second, the count of each status, resident memory and open descriptors
// at the start and the end. Exits 1 on a status no operation documents, an
// answer that is not what was asked for, or more descriptors at the end.
//   bench_soak [--seconds N] [--threads N] [--objects N] [--fault-rate R] [--seed N]
#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "../tests/support/test_agent.h"

namespace {

struct Options {
    int seconds = 60;
    int threads = 4;
    int objects = 4;  // per thread
    double fault_rate = 0.3;
    int seed = 1;
};

constexpr pmc_long kTimeoutMs = 300;
constexpr pmc_long kRetries = 1;
// Later than every try of a request together.
constexpr int kLateMs = 2 * kTimeoutMs + 100;
constexpr pmc_ulong kSplitSize = 300;  // twenty names do not fit
constexpr int kRows = 20;
const char* const kColumn = "1.3.6.1.2.1.43.11.1.1.9.1";
const char* const kName = "1.3.6.1.2.1.1.5.0";
const char* const kNameText = "soak-printer";

// An answer with status 0 that is not the agent's.
constexpr pmc_long kWrongAnswer = -100000;

// Every status a request operation of the facade documents.
const std::map<pmc_long, const char*> kDocumented = {
    {PMC_S_OK, "ok"},
    {PMC_E_FAIL, "fail (error status, or a walk that does not advance)"},
    {PMC_E_NO_MEMORY, "no memory"},
    {PMC_E_NO_VALUE, "no value"},
    {PMC_E_TIMEOUT, "time-out"},
    {PMC_E_RECEIVE, "receive"},
    {PMC_E_SEND, "send"},
    {PMC_E_TOO_BIG, "tooBig"},
    {PMC_E_MESSAGE_TOO_LARGE, "message too large"},
    {PMC_E_CANNOT_SPLIT, "cannot split"},
    {PMC_E_DECODE, "undecodable answer"},
    {PMC_E_OTHER_REQUEST, "answer to another request"},
};

std::string row(int i) { return std::string(kColumn) + "." + std::to_string(i); }

std::string scenario(const Options& options) {
    std::string table = "\"" + std::string(kName) + "\": [\"octets\", \"" + kNameText + "\"]";
    for (int i = 1; i <= kRows; ++i) {
        table += ", \"" + row(i) + "\": [\"integer\", " + std::to_string(10 * i) + "]";
    }
    return "{\"count_only\": true, \"table\": {" + table + "}, \"faults\": {\"rate\": " +
           std::to_string(options.fault_rate) + ", \"seed\": " + std::to_string(options.seed) +
           ", \"delay_ms\": " + std::to_string(kLateMs) + "}}";
}

long resident_kb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int open_descriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count - 1;  // the directory's own
}

pmc::Owned<IPmcGetData> open_object(unsigned short port, pmc_ulong max_size) {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    if (object && object->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_1, nullptr, 0,
                               0, 0, nullptr, nullptr, nullptr, kTimeoutMs, kRetries,
                               max_size) != PMC_S_OK) {
        object.reset();
    }
    return object;
}

pmc_long wrong(const char* what, long value) {
    std::fprintf(stderr, "soak: wrong answer: %s %ld\n", what, value);
    return kWrongAnswer;
}

// One operation of each kind, by number; the answers are checked.
pmc_long run_operation(IPmcGetData* object, int which) {
    pmc_long status = PMC_S_OK;
    switch (which % 4) {
        case 0: {
            pmc_long value = 0;
            object->add_get_variable(row(3).c_str(), false);
            status = object->get_integer(&value);
            if (status == PMC_S_OK && value != 30) return wrong("get_integer", value);
            return status;
        }
        case 1: {
            char text[64];
            object->add_get_variable(kName, false);
            status = object->get_string_n(text, sizeof text);
            if (status == PMC_S_OK && std::strcmp(text, kNameText) != 0) return wrong(text, 0);
            return status;
        }
        case 2: {
            pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(nullptr));
            if (!responses) return PMC_E_NO_MEMORY;
            object->add_get_variable(kColumn, false);
            status = object->walk(responses.get(), kColumn);
            // A walk that failed keeps what came before the failure; an
            // answer repeating the root ends it at once, with nothing.
            if (status == PMC_S_OK && responses->count() != kRows && responses->count() != 0) {
                return wrong("walk count", static_cast<long>(responses->count()));
            }
            return status;
        }
        default: {
            // Twenty names, more than the object's maximum size: split.
            pmc_long values[kRows] = {};
            for (int i = 1; i <= kRows; ++i) object->add_get_variable(row(i).c_str(), false);
            status = object->get_integer_array(values, kRows);
            for (int i = 0; status == PMC_S_OK && i < kRows; ++i) {
                if (values[i] != 10 * (i + 1)) return wrong("split value", values[i]);
            }
            return status;
        }
    }
}

struct Tally {
    std::mutex lock;
    std::map<pmc_long, long> statuses;
    long operations = 0;

    void add(const std::map<pmc_long, long>& counts) {
        std::lock_guard<std::mutex> guard(lock);
        for (const auto& entry : counts) {
            statuses[entry.first] += entry.second;
            operations += entry.second;
        }
    }
};

void poll_agent(unsigned short port, const Options& options, int thread,
          std::chrono::steady_clock::time_point end, Tally* tally) {
    std::vector<pmc::Owned<IPmcGetData>> objects;
    for (int i = 0; i < options.objects; ++i) {
        // Every other object splits its requests; an object's request starts
        // afresh after each operation (a failed read leaves bindings behind).
        objects.push_back(open_object(port, i % 2 == 0 ? kSplitSize : 0));
    }
    std::map<pmc_long, long> counts;
    for (int round = thread; std::chrono::steady_clock::now() < end; ++round) {
        for (int i = 0; i < options.objects; ++i) {
            if (!objects[i]) {
                ++counts[PMC_E_NO_MEMORY];
                continue;
            }
            ++counts[run_operation(objects[i].get(), round + i)];
            objects[i] = open_object(port, i % 2 == 0 ? kSplitSize : 0);
        }
    }
    tally->add(counts);
}

bool parse(int argc, char** argv, Options* options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--seconds") options->seconds = std::atoi(value);
        else if (name == "--threads") options->threads = std::atoi(value);
        else if (name == "--objects") options->objects = std::atoi(value);
        else if (name == "--fault-rate") options->fault_rate = std::atof(value);
        else if (name == "--seed") options->seed = std::atoi(value);
        else return false;
    }
    return argc % 2 == 1 && options->seconds > 0 && options->threads > 0 && options->objects > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: %s [--seconds N] [--threads N] [--objects N] [--fault-rate R] "
                     "[--seed N]\n",
                     argv[0]);
        return 2;
    }
    pmc_test::TestAgent agent(scenario(options), "127.0.0.1", options.seconds + 60);
    if (!agent.running()) {
        std::fprintf(stderr, "soak: no test agent: %s\n", agent.error().c_str());
        return 1;
    }
    const long rss_start = resident_kb();
    const int fds_start = open_descriptors();
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(options.seconds);
    Tally tally;
    std::vector<std::thread> threads;
    for (int t = 0; t < options.threads; ++t) {
        threads.emplace_back(poll_agent, agent.port(), std::cref(options), t, end, &tally);
    }
    for (std::thread& thread : threads) thread.join();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long rss_end = resident_kb();
    const int fds_end = open_descriptors();

    std::printf("soak: %d threads x %d objects, %d s, fault rate %.2f\n", options.threads,
                options.objects, options.seconds, options.fault_rate);
    std::printf("operations   %ld (%.1f/s)\n", tally.operations, tally.operations / elapsed);
    bool failed = tally.operations == 0;
    for (const auto& entry : tally.statuses) {
        const auto known = kDocumented.find(entry.first);
        const char* name = entry.first == kWrongAnswer ? "WRONG ANSWER"
                           : known != kDocumented.end() ? known->second
                                                         : "UNDOCUMENTED";
        failed = failed || known == kDocumented.end();
        std::printf("status %7ld %8ld  %s\n", static_cast<long>(entry.first), entry.second, name);
    }
    std::printf("resident     %ld kB at the start, %ld kB at the end\n", rss_start, rss_end);
    std::printf("descriptors  %d at the start, %d at the end\n", fds_start, fds_end);
    if (fds_end > fds_start) {
        std::printf("soak: descriptors grew\n");
        failed = true;
    }
    std::printf("soak: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
