// Generic list of owned interface pointers, walked with iterators.
// Included through <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_PTR_LIST_H
#define PMSNMP_PTR_LIST_H

#include <pmsnmp/types.h>

// Opaque position in a list; created and released through the list.
struct PmcListIterator;

// Typical walk: create_iterator; current/next until current is null;
// release_iterator. The list owns its elements: removal from the front or
// back, clear and release dispose of them; erase hands the element over.
// An insertion that fails (-2 null, -3 refused) takes nothing.
template <class T>
class IPmcPtrList {
public:
    typedef PmcListIterator* iterator;

    virtual pmc_long add_front(T* element) = 0;
    virtual pmc_long add(T* element) = 0;
    virtual pmc_long remove_front() = 0;
    virtual pmc_long remove_back() = 0;
    virtual pmc_long clear() = 0;
    virtual pmc_ulong count() const = 0;
    virtual iterator create_iterator(pmc_long* status) = 0;
    virtual void rewind(iterator it) = 0;
    virtual void release_iterator(iterator it) = 0;
    // The element at the position (lent), null at the end.
    virtual T* current(iterator it) = 0;
    virtual void next(iterator it) = 0;
    // Unlinks the element at the position without disposing of it.
    virtual void erase(iterator it) = 0;
    virtual void* internal_sentinel() = 0;
    virtual void release() = 0;

protected:
    ~IPmcPtrList() = default;
};

#endif
