// A heap block from malloc, owned by a unique_ptr that frees it. Byte and
// text storage use it rather than new[] so that running out of memory is a
// null result (and status -3), and a block can grow in place with realloc.
#ifndef PMSNMP_VALUE_MALLOC_BLOCK_H
#define PMSNMP_VALUE_MALLOC_BLOCK_H

#include <cstddef>
#include <cstdlib>
#include <memory>

struct PmcFreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

template <class T>
using PmcMallocBlock = std::unique_ptr<T[], PmcFreeDeleter>;

// A new block of count elements; null when memory runs out.
template <class T>
PmcMallocBlock<T> pmc_malloc_block(std::size_t count) {
    return PmcMallocBlock<T>(static_cast<T*>(std::malloc(count * sizeof(T))));
}

// Grows or shrinks block to count elements, keeping its contents; false
// (block unchanged) when memory runs out.
template <class T>
bool pmc_realloc_block(PmcMallocBlock<T>& block, std::size_t count) {
    void* grown = std::realloc(block.get(), count * sizeof(T));
    if (grown == nullptr) return false;
    static_cast<void>(block.release());  // realloc moved or kept it
    block.reset(static_cast<T*>(grown));
    return true;
}

#endif
