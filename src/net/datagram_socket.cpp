#include "net/datagram_socket.h"

#include "net/address_resolver.h"
#include "net/datagram_socket_kinds.h"
#include "net/socket_library.h"
#include "log/component_log.h"

#include <pmsnmp/owned.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr socklen_t kRecordLength = sizeof(sockaddr_storage);
constexpr pmc_long kWaitForever = -1;
constexpr pmc_long kMillisecondsPerSecond = 1000;
constexpr pmc_long kMicrosecondsPerMillisecond = 1000;
constexpr std::size_t kIpv6WorkArea = 43;
constexpr int kIpv6Groups = 8;

int last_error() { return NPmcSocketAPI::table().WSAGetLastError(); }

#if defined(MSG_TRUNC)
// recvfrom then gives a datagram's whole length even when it was cut.
constexpr int kReportWholeLength = MSG_TRUNC;
#else
constexpr int kReportWholeLength = 0;
#endif

#if defined(MSG_DONTWAIT)
// A readable socket may still have nothing to read (a datagram dropped
// after the wait, for a bad checksum): the read then says so, not blocks.
constexpr int kDoNotWait = MSG_DONTWAIT;
#else
constexpr int kDoNotWait = 0;
#endif

// What a blocking read says when its receive time-out passed.
bool ran_out_of_time(int error) {
#if defined(_WIN32)
    return error == WSAETIMEDOUT;
#else
    return error == EAGAIN || error == EWOULDBLOCK;
#endif
}

// The outcome of a wait: readable, time-out, or failure (already logged).
enum class Wait { Readable, TimedOut, Failed };

// What poll or select answered, logged the same way for both.
Wait outcome_of(const char* api, int ready) {
    if (ready == -1) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail %s(). WSAGetLastError()=%d", api, last_error());
        return Wait::Failed;
    }
    if (ready == 0) {
        pmc_socket_log()->write_line(PMC_LOG_TRACE, "%s API timeout.", api);
        return Wait::TimedOut;
    }
    return Wait::Readable;
}

// poll watches a descriptor of any number; select cannot go past
// FD_SETSIZE, which a busy host process soon hands out.
Wait wait_with_poll(PmcSocket handle, pmc_long timeout_ms) {
    PmcPollRecord record{};
    record.fd = handle;
    record.events = POLLIN;
    int limit = timeout_ms < 0 ? 0 : static_cast<int>(timeout_ms);
    if (timeout_ms == kWaitForever) limit = -1;
    return outcome_of("poll", NPmcSocketAPI::table().poll(&record, 1, limit));
}

// A time-out in milliseconds as select and SO_RCVTIMEO take it.
timeval time_of(pmc_long timeout_ms) {
    timeval time{};
    time.tv_sec = static_cast<decltype(time.tv_sec)>(timeout_ms / kMillisecondsPerSecond);
    time.tv_usec = static_cast<decltype(time.tv_usec)>((timeout_ms % kMillisecondsPerSecond) *
                                                       kMicrosecondsPerMillisecond);
    return time;
}

Wait wait_with_select(PmcSocket handle, pmc_long timeout_ms) {
    // FD_SET beyond the set's size would write past it.
    if (!NPmcSocketAPI::platform::select_can_watch(handle)) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "select() cannot wait on socket %d (limit %d).",
                                     static_cast<int>(handle), static_cast<int>(FD_SETSIZE));
        return Wait::Failed;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(handle, &readable);
    timeval limit = time_of(timeout_ms);
    timeval* wait = timeout_ms != kWaitForever ? &limit : nullptr;
    return outcome_of("select", NPmcSocketAPI::table().select(static_cast<int>(handle) + 1, &readable, nullptr, nullptr, wait));
}

// With poll where the socket library has it, else with select.
Wait wait_readable(PmcSocket handle, pmc_long timeout_ms) {
    return NPmcSocketAPI::has_poll() ? wait_with_poll(handle, timeout_ms)
                                     : wait_with_select(handle, timeout_ms);
}

// The expanded text of parse_ipv6_text, bounded by its work area.
class Ipv6WorkArea {
public:
    // False once a piece no longer fits; the area is then left as it was.
    bool append(const char* text, std::size_t length) {
        if (length > kIpv6WorkArea - used_) return false;
        std::memcpy(text_ + used_, text, length);
        used_ += length;
        text_[used_] = '\0';
        return true;
    }
    bool append(const char* text) { return append(text, std::strlen(text)); }
    bool ends_with_colon() const { return used_ > 0 && text_[used_ - 1] == ':'; }
    const char* text() const { return text_; }

private:
    char text_[kIpv6WorkArea + 1] = {};
    std::size_t used_ = 0;
};

// Expands the "::" of an IPv6 text into zero groups; false when the result
// would not fit the work area.
bool expand_ipv6_text(const char* text, Ipv6WorkArea& area) {
    const char* gap = std::strstr(text, "::");
    if (gap == nullptr) {
        const std::size_t length = std::strlen(text);
        return area.append(text, length < kIpv6WorkArea ? length : kIpv6WorkArea);
    }
    int colons = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == ':' && colons < kIpv6Groups) ++colons;
    }
    int zero_groups = kIpv6Groups - colons;
    if (gap == text) {
        ++zero_groups;
    } else if (!area.append(text, static_cast<std::size_t>(gap - text)) || !area.append(":")) {
        return false;
    }
    for (int i = 0; i < zero_groups; ++i) {
        if (!area.append("0:")) return false;
    }
    if (!area.append(gap + 2)) return false;
    // A trailing "::" stands for zero groups at the end too.
    return !area.ends_with_colon() || area.append("0");
}

}  // namespace

pmc_long pmc_create_datagram_socket(pmc_long kind, unsigned short port, DataGramSocket** out) {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    *out = nullptr;
    DataGramSocket* created = nullptr;
    switch (kind) {
        case PMC_ADDRESS_IPV4: created = new (std::nothrow) DataGramSocketIPv4; break;
        case PMC_ADDRESS_IPX: created = new (std::nothrow) DataGramSocketIPX; break;
        case PMC_ADDRESS_IPV6: created = new (std::nothrow) DataGramSocketIPv6; break;
        default: return PMC_E_INVALID_ARG;
    }
    if (created == nullptr) return PMC_E_NO_MEMORY;
    pmc::Owned<DataGramSocket> socket(created);
    socket->local_.reset(pmc_create_network_address(nullptr));
    if (socket->local_ == nullptr) return PMC_E_NO_MEMORY;
    socket->local_->set_kind(kind);
    socket->local_->set_port(port);
    pmc_long status = socket->set_any_address(socket->local_.get());
    if (status != PMC_S_OK) return status;
    status = socket->open();
    if (status != PMC_S_OK) return status;
    *out = socket.release();
    return PMC_S_OK;
}

pmc_long DataGramSocket::open() {
    const pmc_long status = startup();
    if (status != PMC_S_OK) return status;
    started_ = true;
    const NPmcSocketAPI::Table& api = NPmcSocketAPI::table();
    if (create_handle() != PMC_S_OK) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail socket(). WSAGetLastError()=%d",
                                     last_error());
        return PMC_E_SOCKET_CREATE;
    }
    sockaddr_storage record;
    if (!to_sockaddr(&record, local_.get())) return PMC_E_SOCKET_BIND;
    if (api.bind(handle_, reinterpret_cast<const sockaddr*>(&record), kRecordLength) != 0) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail bind(). WSAGetLastError()=%d",
                                     last_error());
        return PMC_E_SOCKET_BIND;
    }
    sockaddr_storage bound;
    std::memset(&bound, 0, sizeof bound);
    socklen_t length = kRecordLength;
    if (api.getsockname(handle_, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
        return PMC_E_FAIL;
    // The system's own record of the bound address always reads back; only a
    // lack of memory keeps it from being kept.
    if (!from_sockaddr(&bound, local_.get())) return PMC_E_NO_MEMORY;
    const int port = local_->get_port();
    pmc_socket_log()->write_line(PMC_LOG_DEBUG, "create socket. id:0x%x port:%d(0x%x)",
                                 static_cast<unsigned>(handle_), port, static_cast<unsigned>(port));
    return PMC_S_OK;
}

void DataGramSocket::release() { delete this; }

DataGramSocket::~DataGramSocket() {
    if (handle_ != PMC_INVALID_SOCKET) NPmcSocketAPI::table().closesocket(handle_);
    // Only a successful start-up is owed a clean-up.
    if (started_) NPmcSocketAPI::cleanup();
}

pmc_long DataGramSocket::send(const void* data, pmc_ulong length, CPmcNetworkAddress* destination) {
    if (data == nullptr || destination == nullptr) return PMC_E_INVALID_ARG;
    const int local_port = local_->get_port();
    const int port = destination->get_port();
    pmc_socket_log()->write_line(
        PMC_LOG_DEBUG, "[DataGramSocket::send] send packet. port:%d(0x%x) -> %s:%d(0x%x).",
        local_port, static_cast<unsigned>(local_port), destination->get_text(), port,
        static_cast<unsigned>(port));
    // The address's own socket address when its text named one; only other
    // texts are converted here.
    int record_length = 0;
    const sockaddr* target = destination->get_socket_address(&record_length);
    // This socket cannot reach an address of another family.
    if (target != nullptr && target->sa_family != pmc_family_from_kind(local_->get_kind())) return PMC_E_INVALID_ARG;
    sockaddr_storage record;
    if (target == nullptr) {
        if (!to_sockaddr(&record, destination)) return PMC_E_INVALID_ARG;
        target = reinterpret_cast<const sockaddr*>(&record);
        record_length = kRecordLength;
    }
    const ssize_t sent =
        NPmcSocketAPI::table().sendto(handle_, data, length, 0, target, static_cast<socklen_t>(record_length));
    if (sent == -1) {
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail send(). WSAGetLastError()=%d",
                                     last_error());
        return PMC_E_SEND;
    }
    if (static_cast<pmc_ulong>(sent) != length) {
        pmc_socket_log()->write_line(PMC_LOG_WARN,
                                     "send(). size of sended bytes is not same that of buffer.");
    }
    return PMC_S_OK;
}

pmc_long DataGramSocket::receive(void* buffer, pmc_ulong capacity, pmc_long timeout_ms,
                                 pmc_long* received, CPmcNetworkAddress** source) {
    if (buffer == nullptr || received == nullptr || source == nullptr) return PMC_E_INVALID_ARG;
    *source = nullptr;
    const Wait wait = wait_readable(handle_, timeout_ms);
    if (wait == Wait::Failed) return PMC_E_RECEIVE;
    if (wait == Wait::TimedOut) return PMC_E_TIMEOUT;
    sockaddr_storage record;
    int length = 0;
    const pmc_long status = read_datagram(buffer, capacity, 0, false, received, &record, &length);
    if (status != PMC_S_OK) return status;
    pmc::Owned<CPmcNetworkAddress> sender(pmc_create_network_address(nullptr));
    if (!sender) return PMC_E_NO_MEMORY;
    if (!from_sockaddr(&record, sender.get())) {
        pmc_socket_log()->write_line(
            PMC_LOG_ERROR,
            "[DataGramSocket::receive] fail create CPmcNetworkAddress ( success recvfrom() ).");
        // The sender's record comes from the system: only memory can fail it.
        return PMC_E_NO_MEMORY;
    }
    // The sender's text is made only for a log that shows it.
    if ((pmc_socket_log()->get_level_mask() & PMC_LOG_DEBUG) != 0) {
        const int local_port = local_->get_port();
        const int port = sender->get_port();
        pmc_socket_log()->write_line(
            PMC_LOG_DEBUG, "[DataGramSocket::receive] receive packet port:%d(0x%x) <- %s:%d(0x%x).",
            local_port, static_cast<unsigned>(local_port), sender->get_text(), port,
            static_cast<unsigned>(port));
    }
    *source = sender.release();
    return PMC_S_OK;
}

pmc_long DataGramSocket::read_datagram(void* buffer, pmc_ulong capacity, int flags,
                                      bool may_time_out, pmc_long* received, sockaddr_storage* from,
                                      int* from_length) {
    std::memset(from, 0, sizeof *from);
    socklen_t length = kRecordLength;
    const ssize_t count =
        NPmcSocketAPI::table().recvfrom(handle_, buffer, capacity, kReportWholeLength | flags,
                                        reinterpret_cast<sockaddr*>(from), &length);
    *received = static_cast<pmc_long>(count);
    *from_length = static_cast<int>(length);
    if (count < 0) {
        const int error = last_error();
        if (may_time_out && ran_out_of_time(error)) {
            pmc_socket_log()->write_line(PMC_LOG_TRACE, "recvfrom API timeout.");
            return PMC_E_TIMEOUT;
        }
        pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail recvfrom(). WSAGetLastError()=%d", error);
        return PMC_E_RECEIVE;
    }
    if (static_cast<std::size_t>(count) > capacity) {
        pmc_socket_log()->write_line(
            PMC_LOG_WARN, "[DataGramSocket::receive] datagram of %ld octets cut to %lu.",
            static_cast<long>(count), static_cast<unsigned long>(capacity));
    }
    return PMC_S_OK;
}

pmc_long DataGramSocket::receive_record(void* buffer, pmc_ulong capacity, bool wait,
                                        pmc_long* received, sockaddr_storage* from,
                                        int* from_length) {
    if (buffer == nullptr || received == nullptr || from == nullptr || from_length == nullptr) {
        return PMC_E_INVALID_ARG;
    }
    if (!wait && kDoNotWait == 0) {
        // No read of its own that declines to wait: ask first.
        if (wait_readable(handle_, 0) != Wait::Readable) return PMC_E_RECEIVE;
    }
    return read_datagram(buffer, capacity, wait ? 0 : kDoNotWait, wait, received, from,
                         from_length);
}

pmc_long DataGramSocket::set_receive_timeout(pmc_long timeout_ms) {
    if (timeout_ms < 1) return PMC_E_INVALID_ARG;
#if defined(_WIN32)
    const DWORD value = static_cast<DWORD>(timeout_ms);
#else
    const timeval value = time_of(timeout_ms);
#endif
    if (NPmcSocketAPI::table().setsockopt(handle_, SOL_SOCKET, SO_RCVTIMEO, &value,
                                          sizeof value) != 0) {
        pmc_socket_log()->write_line(PMC_LOG_WARN, "setsockopt(SO_RCVTIMEO, %ld) refused. WSAGetLastError()=%d",
                                     static_cast<long>(timeout_ms), last_error());
        return PMC_E_FAIL;
    }
    return PMC_S_OK;
}

CPmcNetworkAddress* DataGramSocket::get_local_address() { return local_.get(); }

pmc_long DataGramSocket::set_broadcast(bool flag) {
    const pmc_long kind = local_->get_kind();
    if (kind != PMC_ADDRESS_IPV4 && kind != PMC_ADDRESS_IPX) return PMC_S_OK;
    const int value = flag ? 1 : 0;
    if (NPmcSocketAPI::table().setsockopt(handle_, SOL_SOCKET, SO_BROADCAST, &value,
                                          sizeof value) != 0) {
        pmc_socket_log()->write_line(
            PMC_LOG_ERROR, "fail setsockopt(). can't set broadcast flag. WSAGetLastError()=%d",
            last_error());
        return PMC_E_FAIL;
    }
    return PMC_S_OK;
}

pmc_long DataGramSocket::set_receive_buffer(int octets) {
    if (NPmcSocketAPI::table().setsockopt(handle_, SOL_SOCKET, SO_RCVBUF, &octets, sizeof octets) != 0) {
        pmc_socket_log()->write_line(PMC_LOG_WARN, "setsockopt(SO_RCVBUF, %d) refused. WSAGetLastError()=%d",
                                     octets, last_error());
        return PMC_E_FAIL;
    }
    return PMC_S_OK;
}

pmc_long DataGramSocket::join_multicast(const char* group) {
    if (group == nullptr) return PMC_E_INVALID_ARG;
    const NPmcSocketAPI::Table& api = NPmcSocketAPI::table();
    int result = 0;
    switch (local_->get_kind()) {
        case PMC_ADDRESS_IPV4: {
            // Dotted decimal, as every IPv4 text: inet_addr would join
            // 224.0.0.8 for 224.0.0.010.
            unsigned char octets[sizeof(in_addr)];
            if (!pmc_parse_ipv4_text(group, octets)) {
                pmc_socket_log()->write_line(PMC_LOG_ERROR, "fail to read the group address %s.", group);
                return PMC_E_FAIL;
            }
            ip_mreq membership{};
            std::memcpy(&membership.imr_multiaddr, octets, sizeof octets);
            membership.imr_interface.s_addr = INADDR_ANY;
            result = api.setsockopt(handle_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership,
                                    sizeof membership);
            break;
        }
        case PMC_ADDRESS_IPV6: {
            ipv6_mreq membership{};
            const pmc_long status = parse_ipv6_text(group, membership.ipv6mr_multiaddr.s6_addr);
            if (status != PMC_S_OK) return status;
            membership.ipv6mr_interface = 0;
            result = api.setsockopt(handle_, IPPROTO_IPV6, IPV6_JOIN_GROUP, &membership,
                                    sizeof membership);
            break;
        }
        default: return PMC_E_INVALID_ARG;
    }
    if (result != 0) {
        pmc_socket_log()->write_line(
            PMC_LOG_ERROR, "fail setsockopt(). can't set multicast flag. WSAGetLastError()=%d",
            last_error());
        return PMC_E_FAIL;
    }
    return PMC_S_OK;
}

pmc_long DataGramSocket::parse_ipv6_text(const char* text, unsigned char out[16]) {
    if (text == nullptr || out == nullptr) return PMC_E_INVALID_ARG;
    Ipv6WorkArea expanded;
    if (!expand_ipv6_text(text, expanded)) return PMC_E_INVALID_ARG;
    unsigned groups[kIpv6Groups];
    if (std::sscanf(expanded.text(), "%x:%x:%x:%x:%x:%x:%x:%x", &groups[0], &groups[1], &groups[2],
                    &groups[3], &groups[4], &groups[5], &groups[6], &groups[7]) != kIpv6Groups) {
        return PMC_E_INVALID_ARG;
    }
    for (int i = 0; i < kIpv6Groups; ++i) {
        out[2 * i] = static_cast<unsigned char>((groups[i] >> 8) & 0xFF);
        out[2 * i + 1] = static_cast<unsigned char>(groups[i] & 0xFF);
    }
    return PMC_S_OK;
}
