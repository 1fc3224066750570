// Run-time loaded socket library: a process-wide function table through
// which every socket call of pmsnmp goes, plus start-up and clean-up.
#ifndef PMSNMP_SOCKET_API_H
#define PMSNMP_SOCKET_API_H

#include <pmsnmp/types.h>

#include <cstddef>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
typedef SOCKET PmcSocket;
typedef WSAPOLLFD PmcPollRecord;
typedef ULONG PmcPollCount;
// Net-SNMP's Windows configuration defines it as a macro.
#ifndef in_addr_t
typedef unsigned long in_addr_t;
#endif
// The table's functions are the library's own: stdcall on 32-bit Windows.
#define PMC_SOCKET_CALL WSAAPI
#else
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/types.h>
typedef int PmcSocket;
typedef pollfd PmcPollRecord;
typedef nfds_t PmcPollCount;
#define PMC_SOCKET_CALL
#endif

constexpr PmcSocket PMC_INVALID_SOCKET = static_cast<PmcSocket>(-1);

namespace NPmcSocketAPI {

// Start-up data record; filled by the library, never read by us.
struct StartupData {
    unsigned char opaque[512];
};

// The function table, in the order it is filled. The first 20 entries are
// required; the protocol-independent name functions (3) and poll are
// optional.
struct Table {
    int (PMC_SOCKET_CALL* WSAStartup)(unsigned short version, StartupData* data);
    int (PMC_SOCKET_CALL* WSACleanup)();
    int (PMC_SOCKET_CALL* WSAGetLastError)();
    PmcSocket (PMC_SOCKET_CALL* socket)(int family, int type, int protocol);
    int (PMC_SOCKET_CALL* bind)(PmcSocket handle, const sockaddr* address, socklen_t length);
    std::uint16_t (PMC_SOCKET_CALL* htons)(std::uint16_t value);
    std::uint16_t (PMC_SOCKET_CALL* ntohs)(std::uint16_t value);
    int (PMC_SOCKET_CALL* getsockname)(PmcSocket handle, sockaddr* address, socklen_t* length);
    int (PMC_SOCKET_CALL* gethostname)(char* name, std::size_t length);
    hostent* (PMC_SOCKET_CALL* gethostbyname)(const char* name);
    int (PMC_SOCKET_CALL* getsockopt)(PmcSocket handle, int level, int name, void* value,
                                      socklen_t* length);
    int (PMC_SOCKET_CALL* setsockopt)(PmcSocket handle, int level, int name, const void* value,
                                      socklen_t length);
    in_addr_t (PMC_SOCKET_CALL* inet_addr)(const char* text);
    char* (PMC_SOCKET_CALL* inet_ntoa)(in_addr address);
    ssize_t (PMC_SOCKET_CALL* sendto)(PmcSocket handle, const void* data, std::size_t length,
                                      int flags, const sockaddr* address,
                                      socklen_t address_length);
    ssize_t (PMC_SOCKET_CALL* recvfrom)(PmcSocket handle, void* buffer, std::size_t capacity,
                                        int flags, sockaddr* address, socklen_t* address_length);
    int (PMC_SOCKET_CALL* select)(int count, fd_set* readable, fd_set* writable, fd_set* failed,
                                  timeval* timeout);
    int (PMC_SOCKET_CALL* closesocket)(PmcSocket handle);
    hostent* (PMC_SOCKET_CALL* gethostbyaddr)(const void* address, socklen_t length, int family);
    servent* (PMC_SOCKET_CALL* getservbyname)(const char* name, const char* protocol);
    int (PMC_SOCKET_CALL* getaddrinfo)(const char* node, const char* service,
                                       const addrinfo* hints, addrinfo** result);
    int (PMC_SOCKET_CALL* getnameinfo)(const sockaddr* address, socklen_t length, char* host,
                                       socklen_t host_length, char* service,
                                       socklen_t service_length, int flags);
    void (PMC_SOCKET_CALL* freeaddrinfo)(addrinfo* list);
    // Waits on a descriptor of any number, where select cannot go past
    // FD_SETSIZE.
    int (PMC_SOCKET_CALL* poll)(PmcPollRecord* records, PmcPollCount count, int timeout_ms);
};

constexpr int kRequiredCount = 20;
constexpr int kProtocolIndependentEnd = 23;  // entries 20..22
constexpr int kPollIndex = 23;
constexpr int kEntryCount = 24;

// The name each entry is looked up by, in table order.
const char* entry_name(int index);

// The table (filled by load/set_api). Callers start up first, so every
// entry they use is present. Call htons and ntohs as (table().htons)(x):
// the C library may define those names as macros.
const Table& table();

// Loads the socket library once and fills the table: 0, -10 (no library)
// or the status of set_api.
pmc_long load();
// Fills the table from the given library handle (dlopen / LoadLibrary):
// 0, or -1 when a required function is missing.
pmc_long set_api(void* library);
bool is_loaded();
// True when load succeeds and getaddrinfo, getnameinfo and freeaddrinfo exist.
bool has_protocol_independent_api();
// True when load succeeds and the library has poll (else waits use select).
bool has_poll();
// load, then the library's start-up for version 1.1 / 2.2: 0, -1 or the
// status of load. Balance every attempt with one cleanup().
pmc_long startup_v11();
pmc_long startup_v22();
// The library's clean-up while it is loaded; nothing otherwise.
void cleanup();

// Start-up for the life of a scope; cleanup() on the way out whatever the
// start-up status was.
class StartupScope {
public:
    enum Version { V11, V22 };
    explicit StartupScope(Version version = V22);
    ~StartupScope();
    StartupScope(const StartupScope&) = delete;
    StartupScope& operator=(const StartupScope&) = delete;
    pmc_long status() const { return status_; }

private:
    pmc_long status_;
};

}  // namespace NPmcSocketAPI

#endif
