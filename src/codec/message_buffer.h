// The byte block that carries a message between the codec and the sockets:
// a start, a current pointer and a size, plus who frees the block.
#ifndef PMSNMP_CODEC_MESSAGE_BUFFER_H
#define PMSNMP_CODEC_MESSAGE_BUFFER_H

#include <pmsnmp/types.h>

// Ownership modes of the block.
constexpr pmc_long PMS_BUFFER_LIBRARY = 1;  // allocated and freed by the library (new[]/delete[])
constexpr pmc_long PMS_BUFFER_MALLOC = 2;   // allocated with malloc, freed with free
constexpr pmc_long PMS_BUFFER_BORROWED = 0; // any other value: never freed by the buffer

class IPmsMessageBuffer {
public:
    virtual void release() = 0;
    // Frees the current block (per its mode), then uses data as the block;
    // current = start.
    virtual void attach(unsigned char* data, pmc_ulong size, pmc_long mode) = 0;
    // Hands the block to the caller (its size through size, when given) and
    // leaves the buffer empty; a library block is freed with delete[].
    virtual unsigned char* detach(pmc_ulong* size) = 0;
    // Frees the block per its mode and leaves the buffer empty.
    virtual void free_data() = 0;
    // The block's start, lent (both slots answer the same).
    virtual unsigned char* data() = 0;
    virtual const unsigned char* data() const = 0;
    virtual pmc_ulong size() const = 0;
    // A library block of n bytes replaces the current one; current = start.
    // false (buffer left empty) when memory runs out.
    virtual bool allocate(pmc_ulong n) = 0;
    virtual unsigned char* current() = 0;
    // current = start + offset (an offset past the end stops at the end).
    virtual void seek(pmc_ulong offset) = 0;
    // Octets from current to the end of the block.
    virtual pmc_ulong remaining() const = 0;

protected:
    ~IPmsMessageBuffer() = default;
};

// A new empty buffer in library mode; status 0, or -3 and null. The caller
// releases it.
IPmsMessageBuffer* create_message_buffer(pmc_long* status);

#endif
