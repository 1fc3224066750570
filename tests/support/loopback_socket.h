// A plain UDP socket on a loopback address for test fixtures (free ports,
// readiness probes, silent peers), independent of the library under test:
// BSD sockets on Linux, Winsock on Windows (the program links ws2_32).
#ifndef PMSNMP_TESTS_SUPPORT_LOOPBACK_SOCKET_H
#define PMSNMP_TESTS_SUPPORT_LOOPBACK_SOCKET_H

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstring>
#include <string>

namespace pmc_test {

// Winsock wants a start-up before any socket call; the process keeps it.
inline bool start_sockets() {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

class LoopbackSocket {
public:
    // family: AF_INET (127.0.0.1) or AF_INET6 (::1).
    explicit LoopbackSocket(int family) : family_(family) {
        if (start_sockets()) fd_ = ::socket(family, SOCK_DGRAM, 0);
    }
    ~LoopbackSocket() {
        if (!valid()) return;
#ifdef _WIN32
        ::closesocket(fd_);
#else
        ::close(fd_);
#endif
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool valid() const {
#ifdef _WIN32
        return fd_ != INVALID_SOCKET;
#else
        return fd_ >= 0;
#endif
    }

    // Binds to the loopback address (port 0: one the system picks).
    bool bind(unsigned short port) {
        sockaddr_storage address = loopback(port);
        return valid() && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length()) == 0;
    }
    // Binds to another IPv4 address (127.0.0.2, ...).
    bool bind_ipv4(const char* text, unsigned short port) {
        sockaddr_storage address = loopback(port);
        reinterpret_cast<sockaddr_in*>(&address)->sin_addr.s_addr = inet_addr(text);
        return valid() && family_ == AF_INET &&
               ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length()) == 0;
    }
    // Binds to the any address of the family.
    bool bind_any(unsigned short port) {
        sockaddr_storage address = loopback(port);
        if (family_ == AF_INET) {
            reinterpret_cast<sockaddr_in*>(&address)->sin_addr.s_addr = htonl(INADDR_ANY);
        } else {
            reinterpret_cast<sockaddr_in6*>(&address)->sin6_addr = in6addr_any;
        }
        return valid() && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length()) == 0;
    }

    unsigned short local_port() const {
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        if (!valid() || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
        return ntohs(family_ == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                        : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    }

    // To the family's loopback address at port.
    bool send_to(unsigned short port, const std::string& data) {
        sockaddr_storage address = loopback(port);
        return valid() && ::sendto(fd_, data.data(), static_cast<int>(data.size()), 0,
                                   reinterpret_cast<sockaddr*>(&address),
                                   length()) == static_cast<int>(data.size());
    }

    bool readable_within(int ms) {
        if (!valid()) return false;
#ifdef _WIN32
        WSAPOLLFD waiting{fd_, POLLRDNORM, 0};
        return WSAPoll(&waiting, 1, ms) == 1;
#else
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, ms) == 1;
#endif
    }

    // The next datagram's length, or -1.
    int receive(char* buffer, int size) {
        return valid() ? static_cast<int>(::recv(fd_, buffer, size, 0)) : -1;
    }

private:
    sockaddr_storage loopback(unsigned short port) const {
        sockaddr_storage address{};
        if (family_ == AF_INET) {
            auto* a4 = reinterpret_cast<sockaddr_in*>(&address);
            a4->sin_family = AF_INET;
            a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a4->sin_port = htons(port);
        } else {
            auto* a6 = reinterpret_cast<sockaddr_in6*>(&address);
            a6->sin6_family = AF_INET6;
            a6->sin6_addr = in6addr_loopback;
            a6->sin6_port = htons(port);
        }
        return address;
    }
    socklen_t length() const {
        return family_ == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    }

    int family_;
#ifdef _WIN32
    SOCKET fd_ = INVALID_SOCKET;
#else
    int fd_ = -1;
#endif
};

}  // namespace pmc_test

#endif
