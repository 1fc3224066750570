/// \file
/// Generic list of owned interface pointers, walked with iterators.
/// Included through <pmsnmp/pmsnmp.h>.
#ifndef PMSNMP_PTR_LIST_H
#define PMSNMP_PTR_LIST_H

#include <pmsnmp/types.h>

/// Opaque position in a list; created and released through the list.
struct PmcListIterator;

/// Typical walk: create_iterator; current/next until current is null;
/// release_iterator. The list owns its elements: removal from the front or
/// back, clear and release dispose of them; erase hands the element over.
/// An insertion that fails (PMC_E_INVALID_ARG null, PMC_E_NO_MEMORY refused) takes nothing.
template <class T>
class IPmcPtrList {
public:
    typedef PmcListIterator* iterator;  ///< A position in the list.

    /// Takes element at the front. PMC_S_OK, PMC_E_INVALID_ARG or PMC_E_NO_MEMORY.
    virtual pmc_long add_front(T* element) = 0;
    /// Takes element at the back. PMC_S_OK, PMC_E_INVALID_ARG or PMC_E_NO_MEMORY.
    virtual pmc_long add(T* element) = 0;
    /// Disposes of the first element; 0 on an empty list too.
    virtual pmc_long remove_front() = 0;
    /// Disposes of the last element; 0 on an empty list too.
    virtual pmc_long remove_back() = 0;
    /// Disposes of every element; 0.
    virtual pmc_long clear() = 0;
    /// The number of elements.
    virtual pmc_ulong count() const = 0;
    /// A new position at the first element, released with release_iterator;
    /// status PMC_S_OK, or PMC_E_NO_MEMORY and null. The operations below ignore a position made
    /// by another list.
    virtual iterator create_iterator(pmc_long* status) = 0;
    /// Back to the first element.
    virtual void rewind(iterator it) = 0;
    /// Ends a position made by create_iterator().
    virtual void release_iterator(iterator it) = 0;
    /// The element at the position (lent), null at the end.
    virtual T* current(iterator it) = 0;
    /// On to the next element; at the end it stays there.
    virtual void next(iterator it) = 0;
    /// Unlinks the element at the position without disposing of it: the
    /// caller, who read it with current(), owns it now. The position moves
    /// on to the next element.
    virtual void erase(iterator it) = 0;
    /// The list's end marker, for the library's own tests; never dereference.
    virtual void* internal_sentinel() = 0;
    /// Destroys the list and disposes of the elements it still holds.
    virtual void release() = 0;

protected:
    ~IPmcPtrList() = default;
};

#endif
