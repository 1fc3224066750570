// Runs a test body in a forked child inside a network namespace of its own,
// so that what it sends (limited broadcasts, membership reports) cannot
// reach a real network. The child's exit code is the body's result.
#ifndef PMSNMP_TESTS_SUPPORT_PRIVATE_NETWORK_H
#define PMSNMP_TESTS_SUPPORT_PRIVATE_NETWORK_H

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace pmc_test {

// The exit code when the system refuses a namespace (tests then skip), and
// one for a body that could not prepare it.
constexpr int kNoPrivateNetwork = 77;
constexpr int kPrivateNetworkSetupFailed = 78;

// A new namespace's loopback starts down.
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

// body's result, kNoPrivateNetwork, or -1 when the child did not end
// normally.
template <class Body>
int run_in_private_network(Body body) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) ::_exit(::unshare(CLONE_NEWNET) == 0 ? body() : kNoPrivateNetwork);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace pmc_test

#endif
