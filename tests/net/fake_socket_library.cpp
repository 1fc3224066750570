// A socket library for the loader's tests: forwards to the C library and
// fails on demand. Built in variants that lack select, poll or the
// protocol-independent name functions. No socket headers here, so the
// exports below are not taken for the system's declarations.
#include <dlfcn.h>

#include <cerrno>

#define FAKESOCK_EXPORT extern "C" __attribute__((visibility("default")))

// Knobs and counters the tests reach with dlsym.
extern "C" {
#define FAKESOCK_DATA __attribute__((visibility("default")))
FAKESOCK_DATA int fakesock_fail_startup = 0;  // -1: every start-up, else one version word
FAKESOCK_DATA int fakesock_fail_socket = 0;
FAKESOCK_DATA int fakesock_fail_sendto = 0;
FAKESOCK_DATA int fakesock_short_send = 0;
FAKESOCK_DATA int fakesock_fail_select = 0;
FAKESOCK_DATA int fakesock_fail_poll = 0;
FAKESOCK_DATA int fakesock_fail_recvfrom = 0;
FAKESOCK_DATA int fakesock_fail_setsockopt = 0;
FAKESOCK_DATA int fakesock_error = 0;     // what WSAGetLastError answers after a failure
FAKESOCK_DATA int fakesock_startups = 0;  // successful ones
FAKESOCK_DATA int fakesock_cleanups = 0;
FAKESOCK_DATA unsigned char fakesock_last_destination[128] = {};
}

namespace {

constexpr int kInjectedError = 10055;

template <class F>
F real(const char* name) {
    static void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
    return reinterpret_cast<F>(dlsym(libc, name));
}

int injected_failure() {
    fakesock_error = kInjectedError;
    return -1;
}

struct InAddr {
    unsigned value;
};

}  // namespace

FAKESOCK_EXPORT int WSAStartup(unsigned short version, void*) {
    if (fakesock_fail_startup == -1 || fakesock_fail_startup == version) return injected_failure();
    ++fakesock_startups;
    return 0;
}
FAKESOCK_EXPORT int WSACleanup() {
    ++fakesock_cleanups;
    return 0;
}
FAKESOCK_EXPORT int WSAGetLastError() { return fakesock_error != 0 ? fakesock_error : errno; }

FAKESOCK_EXPORT int socket(int family, int type, int protocol) {
    if (fakesock_fail_socket) return injected_failure();
    return real<int (*)(int, int, int)>("socket")(family, type, protocol);
}
FAKESOCK_EXPORT int bind(int fd, const void* address, unsigned length) {
    return real<int (*)(int, const void*, unsigned)>("bind")(fd, address, length);
}
FAKESOCK_EXPORT unsigned short htons(unsigned short value) {
    return real<unsigned short (*)(unsigned short)>("htons")(value);
}
FAKESOCK_EXPORT unsigned short ntohs(unsigned short value) {
    return real<unsigned short (*)(unsigned short)>("ntohs")(value);
}
FAKESOCK_EXPORT int getsockname(int fd, void* address, unsigned* length) {
    return real<int (*)(int, void*, unsigned*)>("getsockname")(fd, address, length);
}
FAKESOCK_EXPORT int gethostname(char* name, unsigned long length) {
    return real<int (*)(char*, unsigned long)>("gethostname")(name, length);
}
FAKESOCK_EXPORT void* gethostbyname(const char*) { return nullptr; }
FAKESOCK_EXPORT int getsockopt(int fd, int level, int name, void* value, unsigned* length) {
    return real<int (*)(int, int, int, void*, unsigned*)>("getsockopt")(fd, level, name, value,
                                                                        length);
}
FAKESOCK_EXPORT int setsockopt(int fd, int level, int name, const void* value, unsigned length) {
    if (fakesock_fail_setsockopt) return injected_failure();
    return real<int (*)(int, int, int, const void*, unsigned)>("setsockopt")(fd, level, name, value,
                                                                             length);
}
FAKESOCK_EXPORT unsigned inet_addr(const char* text) {
    return real<unsigned (*)(const char*)>("inet_addr")(text);
}
FAKESOCK_EXPORT char* inet_ntoa(InAddr address) {
    return real<char* (*)(InAddr)>("inet_ntoa")(address);
}
FAKESOCK_EXPORT long sendto(int fd, const void* data, unsigned long length, int flags,
                            const void* address, unsigned address_length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(address);
    for (unsigned i = 0; i < sizeof fakesock_last_destination && i < address_length; ++i) {
        fakesock_last_destination[i] = bytes[i];
    }
    if (fakesock_fail_sendto) return injected_failure();
    if (fakesock_short_send && length > 0) --length;
    return real<long (*)(int, const void*, unsigned long, int, const void*, unsigned)>("sendto")(
        fd, data, length, flags, address, address_length);
}
FAKESOCK_EXPORT long recvfrom(int fd, void* buffer, unsigned long capacity, int flags,
                              void* address, unsigned* address_length) {
    if (fakesock_fail_recvfrom) return injected_failure();
    return real<long (*)(int, void*, unsigned long, int, void*, unsigned*)>("recvfrom")(
        fd, buffer, capacity, flags, address, address_length);
}
#if !defined(FAKESOCK_OMIT_SELECT)
FAKESOCK_EXPORT int select(int count, void* readable, void* writable, void* failed, void* timeout) {
    if (fakesock_fail_select) return injected_failure();
    return real<int (*)(int, void*, void*, void*, void*)>("select")(count, readable, writable,
                                                                    failed, timeout);
}
#endif
#if !defined(FAKESOCK_OMIT_POLL)
FAKESOCK_EXPORT int poll(void* records, unsigned long count, int timeout_ms) {
    if (fakesock_fail_poll) return injected_failure();
    return real<int (*)(void*, unsigned long, int)>("poll")(records, count, timeout_ms);
}
#endif
FAKESOCK_EXPORT int close(int fd) { return real<int (*)(int)>("close")(fd); }
FAKESOCK_EXPORT void* gethostbyaddr(const void*, unsigned, int) { return nullptr; }
FAKESOCK_EXPORT void* getservbyname(const char*, const char*) { return nullptr; }
#if !defined(FAKESOCK_OMIT_ADDRINFO)
FAKESOCK_EXPORT int getaddrinfo(const char* node, const char* service, const void* hints,
                                void** list) {
    return real<int (*)(const char*, const char*, const void*, void**)>("getaddrinfo")(
        node, service, hints, list);
}
FAKESOCK_EXPORT int getnameinfo(const void* address, unsigned length, char* host,
                                unsigned host_length, char* service, unsigned service_length,
                                int flags) {
    return real<int (*)(const void*, unsigned, char*, unsigned, char*, unsigned, int)>(
        "getnameinfo")(address, length, host, host_length, service, service_length, flags);
}
FAKESOCK_EXPORT void freeaddrinfo(void* list) { real<void (*)(void*)>("freeaddrinfo")(list); }
#endif
