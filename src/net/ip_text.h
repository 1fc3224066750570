// Plain IP texts to and from binary, with no name service involved.
#ifndef PMSNMP_IP_TEXT_H
#define PMSNMP_IP_TEXT_H

#include <cstddef>

// A whole text in the form inet_pton reads for the family (AF_INET,
// AF_INET6); bytes receives 4 or 16 bytes.
bool pmc_ip_text_to_binary(int family, const char* text, void* bytes);
// The canonical text of 4 or 16 bytes; false when out is too small.
bool pmc_ip_binary_to_text(int family, const void* bytes, char* out, std::size_t capacity);

#endif
