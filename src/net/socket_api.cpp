#include "net/socket_api.h"

#include "log/component_log.h"

#include "net/socket_library.h"

#include <atomic>
#include <mutex>

namespace NPmcSocketAPI {

namespace {


// Windows' error numbers of a failed lookup that only mean "not there".
constexpr int kModuleNotFound = 126;
constexpr int kProcNotFound = 127;

constexpr unsigned short kVersion11 = 0x0101;
constexpr unsigned short kVersion22 = 0x0202;

constexpr int kCloseIndex = 17;

// The close and poll entries are named by the system.
const char* const kEntryNames[kEntryCount] = {
    "WSAStartup",  "WSACleanup",  "WSAGetLastError", "socket",        "bind",
    "htons",       "ntohs",       "getsockname",     "gethostname",   "gethostbyname",
    "getsockopt",  "setsockopt",  "inet_addr",       "inet_ntoa",     "sendto",
    "recvfrom",    "select",      nullptr,           "gethostbyaddr", "getservbyname",
    "getaddrinfo", "getnameinfo", "freeaddrinfo",    nullptr};

Table g_table{};
std::mutex g_loader_lock;
std::atomic<void*> g_library{nullptr};
std::atomic<bool> g_protocol_independent{false};
std::atomic<bool> g_poll{false};
std::atomic<bool> g_required_filled{false};


template <class F>
void put(F& slot, void* symbol) {
    slot = reinterpret_cast<F>(symbol);
}

void store(int index, void* symbol) {
    Table& t = g_table;
    switch (index) {
        case 0: put(t.WSAStartup, symbol); break;
        case 1: put(t.WSACleanup, symbol); break;
        case 2: put(t.WSAGetLastError, symbol); break;
        case 3: put(t.socket, symbol); break;
        case 4: put(t.bind, symbol); break;
        case 5: put(t.htons, symbol); break;
        case 6: put(t.ntohs, symbol); break;
        case 7: put(t.getsockname, symbol); break;
        case 8: put(t.gethostname, symbol); break;
        case 9: put(t.gethostbyname, symbol); break;
        case 10: put(t.getsockopt, symbol); break;
        case 11: put(t.setsockopt, symbol); break;
        case 12: put(t.inet_addr, symbol); break;
        case 13: put(t.inet_ntoa, symbol); break;
        case 14: put(t.sendto, symbol); break;
        case 15: put(t.recvfrom, symbol); break;
        case 16: put(t.select, symbol); break;
        case 17: put(t.closesocket, symbol); break;
        case 18: put(t.gethostbyaddr, symbol); break;
        case 19: put(t.getservbyname, symbol); break;
        case 20: put(t.getaddrinfo, symbol); break;
        case 21: put(t.getnameinfo, symbol); break;
        case 22: put(t.freeaddrinfo, symbol); break;
        case kPollIndex: put(t.poll, symbol); break;
        default: break;
    }
}

using platform::close_library;
using platform::lookup_error;

void* find_symbol(void* library, int index) {
    return platform::find_symbol(library, index, entry_name(index));
}

// Releases the library at process exit.
struct LibraryRelease {
    ~LibraryRelease() {
        void* library = g_library.exchange(nullptr);
        if (library != nullptr) close_library(library);
    }
} g_library_release;

// The name functions come as a set: the first one missing ends the lookup.
pmc_long fill_protocol_independent(void* library) {
    for (int i = kRequiredCount; i < kProtocolIndependentEnd; ++i) {
        void* symbol = find_symbol(library, i);
        store(i, symbol);
        if (symbol == nullptr) {
            const int error = lookup_error();
            if (error == kModuleNotFound || error == kProcNotFound) {
                g_protocol_independent.store(false);
                return PMC_S_OK;
            }
            pmc_socket_log()->write_line(
                PMC_LOG_ERROR,
                "[NPmcSocketAPI::set_api] fail GetProcAddress \"%s\": GetLastError()=%d",
                entry_name(i), error);
            return PMC_E_FAIL;
        }
    }
    g_protocol_independent.store(true);
    return PMC_S_OK;
}

pmc_long fill(void* library) {
    for (int i = 0; i < kRequiredCount; ++i) {
        void* symbol = find_symbol(library, i);
        store(i, symbol);
        if (symbol == nullptr) {
            pmc_socket_log()->write_line(
                PMC_LOG_ERROR,
                "[NPmcSocketAPI::set_api] fail GetProcAddress \"%s\": GetLastError()=%d",
                entry_name(i), lookup_error());
            return PMC_E_FAIL;
        }
    }
    g_required_filled.store(true);
    const pmc_long status = fill_protocol_independent(library);
    // Without poll the waits use select, which every library has.
    void* poll = find_symbol(library, kPollIndex);
    store(kPollIndex, poll);
    g_poll.store(poll != nullptr);
    return status;
}

pmc_long startup(unsigned short version) {
    const pmc_long status = load();
    if (status != PMC_S_OK) return status;
    // A fill that failed part-way leaves holes in the table: refuse rather
    // than call through a missing entry.
    if (!g_required_filled.load()) return PMC_E_FAIL;
    StartupData data;
    if (g_table.WSAStartup(version, &data) != 0) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR,
                                     version == kVersion11
                                         ? "fail WSAStartup(1.1). WSAGetLastError()=%d"
                                         : "fail WSAStartup(2.2). WSAGetLastError()=%d",
                                     g_table.WSAGetLastError());
        return PMC_E_FAIL;
    }
    return PMC_S_OK;
}

pmc_long set_api_locked(void* library);

}  // namespace

const char* entry_name(int index) {
    if (index == kCloseIndex) return platform::close_name();
    if (index == kPollIndex) return platform::poll_name();
    return index >= 0 && index < kEntryCount ? kEntryNames[index] : nullptr;
}

const Table& table() { return g_table; }

pmc_long load() {
    if (g_library.load() != nullptr) return PMC_S_OK;
    std::lock_guard<std::mutex> lock(g_loader_lock);
    if (g_library.load() != nullptr) return PMC_S_OK;
    void* library = nullptr;
    std::size_t count = 0;
    const char* const* names = platform::library_names(&count);
    for (std::size_t i = 0; i < count && library == nullptr; ++i) {
        library = platform::open_library(names[i]);
    }
    if (library == nullptr) return PMC_E_NO_SOCKET_LIBRARY;
    // Publish the handle only once the table is filled: readers that see it
    // skip the lock.
    const pmc_long status = set_api_locked(library);
    g_library.store(library);
    return status;
}

pmc_long set_api(void* library) {
    std::lock_guard<std::mutex> lock(g_loader_lock);
    return set_api_locked(library);
}

namespace {

// Runs under the loader lock.
pmc_long set_api_locked(void* library) {
    PmcTraceScope scope(pmc_socket_log(), "NPmcSocketAPI::set_api");
    // A null handle would make the lookups search the whole process.
    const pmc_long status = library != nullptr ? fill(library) : PMC_E_FAIL;
    if (status != PMC_S_OK && library != nullptr) g_required_filled.store(false);
    return status;
}

}  // namespace

bool is_loaded() { return g_library.load() != nullptr; }

bool has_protocol_independent_api() { return load() == PMC_S_OK && g_protocol_independent.load(); }

bool has_poll() { return load() == PMC_S_OK && g_poll.load(); }

pmc_long startup_v11() { return startup(kVersion11); }

pmc_long startup_v22() { return startup(kVersion22); }

void cleanup() {
    if (is_loaded() && g_table.WSACleanup != nullptr) g_table.WSACleanup();
}

StartupScope::StartupScope(Version version)
    : status_(version == V11 ? startup_v11() : startup_v22()) {}

StartupScope::~StartupScope() { cleanup(); }

}  // namespace NPmcSocketAPI
