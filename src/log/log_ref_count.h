// Reference count shared by the counted logging objects.
#ifndef PMSNMP_LOG_REF_COUNT_H
#define PMSNMP_LOG_REF_COUNT_H

#include <atomic>
#include <vector>

#include <pmsnmp/types.h>

class PmcLogRefCount {
public:
    pmc_ulong add() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The count left; the owner deletes itself at 0.
    pmc_ulong drop() { return refs_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<pmc_ulong> refs_{1};
};

// Gives back the reference held on each object and empties the list.
template <class T>
void pmc_release_all(std::vector<T*>& objects) {
    for (T* object : objects) object->release();
    objects.clear();
}

#endif
