#include "value/address_values.h"

#include <cstdio>

#include "value/text_scan.h"

namespace {

constexpr pmc_ulong kMaxPort = 0xFFFF;

pmc_long put_text(IPmcByteString* out, const char* text, int length) {
    if (length < 0) return PMC_E_FAIL;
    return out->assign(text, static_cast<pmc_ulong>(length));
}

// Scans "%d.%d.%d.%d" into numbers[0..4); the cursor ends after it.
int scan_dotted_quad(const char** cursor, pmc_ulong* numbers) {
    int converted = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && !pms_scan_literal(cursor, '.')) break;
        if (!pms_scan_decimal(cursor, &numbers[i])) break;
        ++converted;
    }
    return converted;
}

unsigned short read_port(const unsigned char* bytes) {
    return static_cast<unsigned short>(bytes[0] << 8 | bytes[1]);
}

void write_port(unsigned char* bytes, unsigned short port) {
    bytes[0] = static_cast<unsigned char>(port >> 8);
    bytes[1] = static_cast<unsigned char>(port);
}

}  // namespace

// IpAddress

pmc_ulong CPmsIpAddress::get_uint(pmc_long* status) const {
    const unsigned char* b = fixed_bytes();
    pms_report(status, PMC_S_OK);
    return static_cast<pmc_ulong>(b[0]) << 24 | static_cast<pmc_ulong>(b[1]) << 16 |
           static_cast<pmc_ulong>(b[2]) << 8 | b[3];
}

pmc_long CPmsIpAddress::set_uint(pmc_ulong number) {
    unsigned char* b = fixed_bytes();
    for (int i = 3; i >= 0; --i, number >>= 8) b[i] = static_cast<unsigned char>(number);
    return PMC_S_OK;
}

pmc_long CPmsIpAddress::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    const unsigned char* b = fixed_bytes();
    char text[32];
    return put_text(out, text, std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]));
}

pmc_long CPmsIpAddress::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    clear();
    pmc_ulong numbers[4] = {};
    if (scan_dotted_quad(&text, numbers) < 4) return PMC_E_INVALID_ARG;
    return store_scanned_bytes(numbers, 4, 0);
}

// UDP address

pmc_long CPmsUdpAddress::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    const unsigned char* b = fixed_bytes();
    char text[40];
    return put_text(out, text,
                    std::snprintf(text, sizeof text, "%d.%d.%d.%d/%d", b[0], b[1], b[2], b[3], read_port(b + 4)));
}

pmc_long CPmsUdpAddress::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    clear();
    pmc_ulong numbers[4] = {};
    pmc_ulong port = 0;
    if (scan_dotted_quad(&text, numbers) < 4 || !pms_scan_literal(&text, '/') || !pms_scan_decimal(&text, &port)) {
        return PMC_E_INVALID_ARG;
    }
    const pmc_long status = store_scanned_bytes(numbers, 4, 0);
    if (status != PMC_S_OK) return status;
    if (port > kMaxPort) return PMC_E_INVALID_ARG;
    return set_port(static_cast<unsigned short>(port));
}

// IPv6 address

pmc_long CPmsIpv6Address::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    const unsigned char* b = fixed_bytes();
    unsigned groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = static_cast<unsigned>(b[2 * i] << 8 | b[2 * i + 1]);
    char text[48];
    return put_text(out, text,
                    std::snprintf(text, sizeof text, "%x:%x:%x:%x:%x:%x:%x:%x", groups[0], groups[1], groups[2],
                                  groups[3], groups[4], groups[5], groups[6], groups[7]));
}

pmc_long CPmsIpv6Address::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    clear();
    pmc_ulong groups[8] = {};
    for (int i = 0; i < 8; ++i) {
        if (i > 0 && !pms_scan_literal(&text, ':')) return PMC_E_INVALID_ARG;
        if (!pms_scan_hex(&text, 0, &groups[i])) return PMC_E_INVALID_ARG;
    }
    // Larger groups are cut to 16 bits, as the scanned numbers always were.
    unsigned char* b = fixed_bytes();
    for (int i = 0; i < 8; ++i) write_port(b + 2 * i, static_cast<unsigned short>(groups[i] & 0xFFFFu));
    return PMC_S_OK;
}

// IPX address

pmc_long CPmsIpxAddress::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    const unsigned char* b = fixed_bytes();
    char text[48];
    return put_text(out, text,
                    std::snprintf(text, sizeof text, "%02x%02x%02x%02x:%02x%02x%02x%02x%02x%02x/%x", b[0], b[1],
                                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], read_port(b + 10)));
}

pmc_long CPmsIpxAddress::set_text(const char* text) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    clear();
    constexpr int kNetworkBytes = 4;
    constexpr int kAddressBytes = 10;
    pmc_ulong numbers[kAddressBytes] = {};
    pmc_ulong socket = 0;
    for (int i = 0; i < kAddressBytes; ++i) {
        if (i == kNetworkBytes && !pms_scan_literal(&text, ':')) return PMC_E_INVALID_ARG;
        if (!pms_scan_hex(&text, 2, &numbers[i])) return PMC_E_INVALID_ARG;
    }
    if (!pms_scan_literal(&text, '/') || !pms_scan_hex(&text, 0, &socket)) return PMC_E_INVALID_ARG;
    const pmc_long status = store_scanned_bytes(numbers, kAddressBytes, 0);
    if (status != PMC_S_OK) return status;
    if (socket > kMaxPort) return PMC_E_INVALID_ARG;
    return set_port(static_cast<unsigned short>(socket));
}
