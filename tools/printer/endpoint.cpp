#include "printer/endpoint.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace pmtool {

namespace {

bool parse_port(const std::string& text, unsigned short* port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value == 0 || value > 65535) return false;
    *port = static_cast<unsigned short>(value);
    return true;
}

bool numeric_address(const std::string& host, Endpoint* out) {
    unsigned char buffer[sizeof(struct in6_addr)];
    char text[INET6_ADDRSTRLEN];
    if (inet_pton(AF_INET, host.c_str(), buffer) == 1) {
        out->kind = PMC_ADDRESS_IPV4;
        out->address = host;
        return true;
    }
    if (inet_pton(AF_INET6, host.c_str(), buffer) == 1 && inet_ntop(AF_INET6, buffer, text, sizeof text)) {
        out->kind = PMC_ADDRESS_IPV6;
        out->address = text;
        return true;
    }
    return false;
}

// First IPv4 answer, else the first IPv6 one.
bool resolve_name(const std::string& host, Endpoint* out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> owner(found, freeaddrinfo);
    const addrinfo* chosen = nullptr;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET) {
            chosen = entry;
            break;
        }
        if (entry->ai_family == AF_INET6 && chosen == nullptr) chosen = entry;
    }
    if (chosen == nullptr) return false;
    char text[NI_MAXHOST];
    if (getnameinfo(chosen->ai_addr, chosen->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0)
        return false;
    out->address = text;
    out->kind = chosen->ai_family == AF_INET ? PMC_ADDRESS_IPV4 : PMC_ADDRESS_IPV6;
    return true;
}

}  // namespace

std::string Endpoint::display() const {
    const std::string shown = kind == PMC_ADDRESS_IPV6 ? "[" + address + "]" : address;
    return shown + ":" + std::to_string(port);
}

bool is_host_name(const std::string& text) {
    if (text.empty() || text.size() > 253) return false;
    std::size_t start = 0;
    std::string last;
    while (start <= text.size()) {
        std::size_t end = text.find('.', start);
        if (end == std::string::npos) end = text.size();
        const std::string label = text.substr(start, end - start);
        if (label.empty() && end == text.size() && start > 0) break;  // one trailing dot
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (const char c : label)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
        last = label;
        start = end + 1;
    }
    return last.find_first_not_of("0123456789") != std::string::npos;
}

bool parse_host(const std::string& text, unsigned short default_port, Endpoint* out, std::string* error) {
    Endpoint endpoint;
    endpoint.port = default_port;
    std::string port_text;
    bool has_port = false;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) {
            *error = "unknown host '" + text + "': missing ']'";
            return false;
        }
        endpoint.host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') {
                *error = "unknown host '" + text + "'";
                return false;
            }
            port_text = text.substr(close + 2);
            has_port = true;
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const std::size_t colon = text.find(':');
        endpoint.host = text.substr(0, colon);
        port_text = text.substr(colon + 1);
        has_port = true;
    } else {
        endpoint.host = text;  // a name, IPv4, or an IPv6 address without a port
    }
    if (has_port && !parse_port(port_text, &endpoint.port)) {
        *error = "bad port '" + port_text + "' in '" + text + "' (1 to 65535)";
        return false;
    }
    if (!numeric_address(endpoint.host, &endpoint)) {
        if (!is_host_name(endpoint.host)) {
            *error = "unknown host '" + endpoint.host + "': not an IPv4 or IPv6 address or a host name";
            return false;
        }
        if (!resolve_name(endpoint.host, &endpoint)) {
            *error = "unknown host '" + endpoint.host + "': the name does not resolve";
            return false;
        }
    }
    *out = endpoint;
    return true;
}

}  // namespace pmtool
