// Room for the arcs of one identifier: inline for the usual sizes, on the
// heap (kept for the next identifier) for longer ones.
#ifndef PMSNMP_CODEC_ARC_BUFFER_H
#define PMSNMP_CODEC_ARC_BUFFER_H

#include <memory>
#include <new>

#include <pmsnmp/types.h>

class CPmsArcBuffer {
public:
    static constexpr pmc_ulong INLINE_ARCS = 128;

    pmc_ulong* data() { return heap_ ? heap_.get() : inline_; }
    pmc_ulong capacity() const { return heap_ ? heap_capacity_ : INLINE_ARCS; }
    // Makes room for n arcs (contents not kept); false when memory runs out.
    bool reserve(pmc_ulong n) {
        if (n <= capacity()) return true;
        heap_.reset(new (std::nothrow) pmc_ulong[n]);
        heap_capacity_ = heap_ ? n : 0;
        return static_cast<bool>(heap_);
    }

private:
    pmc_ulong inline_[INLINE_ARCS];
    std::unique_ptr<pmc_ulong[]> heap_;
    pmc_ulong heap_capacity_ = 0;
};

#endif
