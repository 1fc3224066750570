// Runs a test body in a forked child inside a network namespace of its own,
// so that what it sends (limited broadcasts, membership reports) cannot
// reach a real network. The child's exit code is the body's result.
#ifndef PMSNMP_TESTS_SUPPORT_PRIVATE_NETWORK_H
#define PMSNMP_TESTS_SUPPORT_PRIVATE_NETWORK_H

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pmc_test {

// The exit code when the system refuses a namespace (tests then skip).
constexpr int kNoPrivateNetwork = 77;

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
