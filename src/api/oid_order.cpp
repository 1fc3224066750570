#include "api/oid_order.h"

#include <algorithm>
#include <new>
#include <vector>

#include "value/oid_arcs.h"

namespace {

// Room for the 128 arcs an SNMP identifier may have; longer ones go to the
// heap.
constexpr pmc_ulong kInlineArcs = 128;

class ArcReader {
public:
    pmc_long read(const IPmsOid* oid) {
        count_ = 0;
        pmc_long status = pms_oid_read_arcs(oid, inline_, kInlineArcs, &count_);
        if (status != PMC_E_OUT_OF_RANGE) {
            data_ = inline_;
            return status;
        }
        try {
            heap_.resize(count_);
        } catch (const std::bad_alloc&) {
            return PMC_E_NO_MEMORY;
        }
        status = pms_oid_read_arcs(oid, heap_.data(), count_, &count_);
        data_ = heap_.data();
        return status;
    }
    const pmc_ulong* begin() const { return data_; }
    const pmc_ulong* end() const { return data_ + count_; }

private:
    pmc_ulong inline_[kInlineArcs];
    std::vector<pmc_ulong> heap_;
    const pmc_ulong* data_ = inline_;
    pmc_ulong count_ = 0;
};

}  // namespace

namespace NPmcOidOrder {

pmc_long compare(const IPmsOid* a, const IPmsOid* b, int* order) {
    if (a == nullptr || b == nullptr || order == nullptr) return PMC_E_INVALID_ARG;
    ArcReader left;
    ArcReader right;
    pmc_long status = left.read(a);
    if (status != PMC_S_OK) return status;
    status = right.read(b);
    if (status != PMC_S_OK) return status;
    if (std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end())) {
        *order = -1;
    } else if (std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end())) {
        *order = 1;
    } else {
        *order = 0;
    }
    return PMC_S_OK;
}

}  // namespace NPmcOidOrder
