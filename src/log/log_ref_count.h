// Reference count shared by the counted logging objects.
#ifndef PMSNMP_LOG_REF_COUNT_H
#define PMSNMP_LOG_REF_COUNT_H

#include <atomic>
#include <new>
#include <vector>

#include <pmsnmp/owned.h>
#include <pmsnmp/types.h>

class PmcLogRefCount {
public:
    pmc_ulong add() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The count left; the owner deletes itself at 0.
    pmc_ulong drop() { return refs_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<pmc_ulong> refs_{1};
};

// Counted references in a list: each entry gives its reference back when it
// leaves the list.
template <class T>
using PmcRefList = std::vector<pmc::Owned<T>>;

// Adds object to list, which takes over the caller's reference; -3 (the
// reference still the caller's) when memory runs out.
template <class T>
pmc_long pmc_keep_ref(PmcRefList<T>& list, T* object) {
    if (list.size() == list.capacity()) {
        try {
            list.reserve(list.empty() ? 4 : list.capacity() * 2);
        } catch (const std::bad_alloc&) {
            return PMC_E_NO_MEMORY;
        }
    }
    list.emplace_back(object);
    return PMC_S_OK;
}

#endif
