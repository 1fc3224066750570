// ws2_32's inet_pton would tie the DLL to the socket library at load time;
// ntdll, which every process has, does the same conversions.
#include "net/ip_text.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

#include <cstring>

// ntdll exports it; MinGW's headers do not declare it.
extern "C" LONG NTAPI RtlIpv6StringToAddressA(PCSTR text, PCSTR* terminator, IN6_ADDR* address);

namespace {

constexpr BOOLEAN kDottedDecimalOnly = TRUE;
// Room for the longest text either conversion writes, with its NUL.
constexpr std::size_t kLongestText = 65;

}  // namespace

bool pmc_ip_text_to_binary(int family, const char* text, void* bytes) {
    if (family == AF_INET) {
        IN_ADDR address;
        char* end = nullptr;
        if (RtlIpv4StringToAddressA(text, kDottedDecimalOnly, &end, &address) != 0 || *end != '\0')
            return false;
        std::memcpy(bytes, &address, sizeof address);
        return true;
    }
    if (family == AF_INET6) {
        IN6_ADDR address;
        const char* end = nullptr;
        if (RtlIpv6StringToAddressA(text, &end, &address) != 0 || *end != '\0') return false;
        std::memcpy(bytes, &address, sizeof address);
        return true;
    }
    return false;
}

bool pmc_ip_binary_to_text(int family, const void* bytes, char* out, std::size_t capacity) {
    char text[kLongestText] = {};
    if (family == AF_INET) {
        IN_ADDR address;
        std::memcpy(&address, bytes, sizeof address);
        RtlIpv4AddressToStringA(&address, text);
    } else if (family == AF_INET6) {
        IN6_ADDR address;
        std::memcpy(&address, bytes, sizeof address);
        RtlIpv6AddressToStringA(&address, text);
    } else {
        return false;
    }
    const std::size_t length = std::strlen(text);
    if (length >= capacity) return false;
    std::memcpy(out, text, length + 1);
    return true;
}
