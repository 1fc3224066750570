// A plain library copy for short runs whose size the compiler can bound:
// it would otherwise inline them as `rep movs`, whose start-up cost is far
// above that of copying a few dozen octets.
#ifndef PMSNMP_CODEC_OCTET_COPY_H
#define PMSNMP_CODEC_OCTET_COPY_H

#include <cstddef>

#if defined(__GNUC__)
[[gnu::noinline]]
#endif
void pms_copy_octets(void* destination, const void* source, std::size_t count);

#endif
