#include "codec/octet_copy.h"

#include <cstring>

void pms_copy_octets(void* destination, const void* source, std::size_t count) {
    if (count != 0) std::memcpy(destination, source, count);
}
