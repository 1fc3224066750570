#include "value/text_scan.h"

namespace {

constexpr std::uint64_t kSaturated = 0xFFFFFFFFu;
constexpr std::uint64_t kLargestNegative = 0x80000000u;

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool at_end(const char* p, const char* end) { return end != nullptr ? p >= end : *p == '\0'; }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Shared body of the sscanf-like conversions; base 10 or 16.
bool scan_number(const char** cursor, unsigned base, std::size_t max_chars, pmc_ulong* value) {
    const char* p = *cursor;
    while (is_space(*p)) ++p;
    const char* const start = p;
    auto room = [&](const char* q) { return max_chars == 0 || static_cast<std::size_t>(q - start) < max_chars; };
    bool negative = false;
    if (room(p) && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (base == 16 && room(p + 1) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hex_digit(p[2]) >= 0) {
        p += 2;
    }
    std::uint64_t number = 0;
    bool any = false;
    while (room(p)) {
        const int digit = hex_digit(*p);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
        // Saturate instead of wrapping, so that 4294967306 cannot pass for 10.
        number = number * base + static_cast<unsigned>(digit);
        if (number > kSaturated) number = kSaturated + 1;
        any = true;
        ++p;
    }
    if (!any) return false;
    if (number > kSaturated || (negative && number > kLargestNegative)) {
        *value = kSaturated;
    } else {
        *value = static_cast<pmc_ulong>(negative ? 0u - number : number);
    }
    *cursor = p;
    return true;
}

}  // namespace

pmc_ulong pms_scan_atol(const char* text, const char* end) {
    const char* p = text;
    while (!at_end(p, end) && is_space(*p)) ++p;
    bool negative = false;
    if (!at_end(p, end) && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    pmc_ulong number = 0;
    while (!at_end(p, end) && *p >= '0' && *p <= '9') {
        number = number * 10u + static_cast<pmc_ulong>(*p - '0');
        ++p;
    }
    return negative ? 0u - number : number;
}

bool pms_scan_decimal64(const char* text, std::uint64_t* value) {
    std::uint64_t number = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            *value = number;
            return false;
        }
        number = number * 10u + static_cast<std::uint64_t>(*p - '0');
    }
    *value = number;
    return true;
}

bool pms_scan_decimal(const char** cursor, pmc_ulong* value) { return scan_number(cursor, 10, 0, value); }

bool pms_scan_hex(const char** cursor, std::size_t max_chars, pmc_ulong* value) {
    return scan_number(cursor, 16, max_chars, value);
}

bool pms_scan_literal(const char** cursor, char literal) {
    if (**cursor != literal) return false;
    ++*cursor;
    return true;
}
