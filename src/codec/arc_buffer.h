// Room for the arcs of one identifier: inline for the usual sizes, on the
// heap (kept for the next identifier) for longer ones.
#ifndef PMSNMP_CODEC_ARC_BUFFER_H
#define PMSNMP_CODEC_ARC_BUFFER_H

#include <new>
#include <vector>

#include <pmsnmp/types.h>

class CPmsArcBuffer {
public:
    static constexpr pmc_ulong INLINE_ARCS = 128;

    pmc_ulong* data() { return heap_.empty() ? inline_ : heap_.data(); }
    pmc_ulong capacity() const { return heap_.empty() ? INLINE_ARCS : static_cast<pmc_ulong>(heap_.size()); }
    // Makes room for n arcs (contents not kept); false when memory runs out.
    bool reserve(pmc_ulong n) {
        if (n <= capacity()) return true;
        try {
            heap_.resize(n);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

private:
    pmc_ulong inline_[INLINE_ARCS];
    std::vector<pmc_ulong> heap_;
};

#endif
