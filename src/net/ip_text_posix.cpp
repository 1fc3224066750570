#include "net/ip_text.h"

#include <arpa/inet.h>
#include <sys/socket.h>

bool pmc_ip_text_to_binary(int family, const char* text, void* bytes) {
    return inet_pton(family, text, bytes) == 1;
}

bool pmc_ip_binary_to_text(int family, const void* bytes, char* out, std::size_t capacity) {
    return inet_ntop(family, bytes, out, static_cast<socklen_t>(capacity)) != nullptr;
}
