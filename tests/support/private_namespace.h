// A network namespace of the test's own, for traffic that must not reach a
// real network (multicast joins, broadcasts to agents on the any address).
// Call from a forked child only: the namespace is the whole process's.
#ifndef PMSNMP_TESTS_SUPPORT_PRIVATE_NAMESPACE_H
#define PMSNMP_TESTS_SUPPORT_PRIVATE_NAMESPACE_H

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace pmstest {

// Exit codes of a child that could not get or prepare its namespace.
constexpr int kNamespaceRefused = 77;
constexpr int kNamespaceSetupFailed = 78;

inline bool bring_loopback_up() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    ok = ok && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return ok;
}

// 0, or one of the exit codes above.
inline int enter_private_namespace() {
    if (::unshare(CLONE_NEWNET) != 0) return kNamespaceRefused;
    return bring_loopback_up() ? 0 : kNamespaceSetupFailed;
}

// Runs body in a forked child and answers its exit code, or -1 when the
// child could not run or did not exit.
inline int run_in_child(int (*body)()) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) ::_exit(body());
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace pmstest

#endif
