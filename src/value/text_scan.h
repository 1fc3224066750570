// Lenient number scanning in the manner of atol and sscanf, with defined
// 32-bit wrap-around instead of the C library's undefined overflow.
#ifndef PMSNMP_VALUE_TEXT_SCAN_H
#define PMSNMP_VALUE_TEXT_SCAN_H

#include <cstddef>
#include <cstdint>

#include <pmsnmp/types.h>

// atol reading of [text, end): white space, one optional sign, decimal digits
// up to the first non-digit, all modulo 2^32. No digits reads 0.
pmc_ulong pms_scan_atol(const char* text, const char* end);
inline pmc_ulong pms_scan_atol(const char* text) { return pms_scan_atol(text, nullptr); }

// Decimal digits only, modulo 2^64. False at the first non-digit, with *value
// holding what the digits before it gave.
bool pms_scan_decimal64(const char* text, std::uint64_t* value);

// One sscanf-style conversion at *cursor: white space, an optional sign and
// at least one digit (hexadecimal: an optional 0x prefix), at most max_chars
// characters after the white space (0: unlimited). Advances *cursor and
// stores the number as 32 bits (negatives in two's complement); a number
// outside the 32-bit range reads 0xFFFFFFFF, larger than any byte or port.
bool pms_scan_decimal(const char** cursor, pmc_ulong* value);
bool pms_scan_hex(const char** cursor, std::size_t max_chars, pmc_ulong* value);

// Matches one literal character of a format at *cursor.
bool pms_scan_literal(const char** cursor, char literal);

#endif
