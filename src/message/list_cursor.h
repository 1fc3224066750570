// A position in an interface pointer list that walks it without owning its
// elements; the position is given back when the cursor goes.
#ifndef PMSNMP_MESSAGE_LIST_CURSOR_H
#define PMSNMP_MESSAGE_LIST_CURSOR_H

#include <pmsnmp/ptr_list.h>

template <class T>
class PmcListCursor {
public:
    explicit PmcListCursor(IPmcPtrList<T>* list) : list_(list), it_(list->create_iterator(&status_)) {}
    ~PmcListCursor() {
        if (it_ != nullptr) list_->release_iterator(it_);
    }
    PmcListCursor(const PmcListCursor&) = delete;
    PmcListCursor& operator=(const PmcListCursor&) = delete;

    // PMC_S_OK, or the failure that left the cursor without a position.
    pmc_long status() const { return it_ != nullptr ? PMC_S_OK : status_; }
    // The element at the position (lent), null at the end or without one.
    T* current() { return it_ != nullptr ? list_->current(it_) : nullptr; }
    void next() { list_->next(it_); }

private:
    IPmcPtrList<T>* list_;
    pmc_long status_ = PMC_S_OK;
    typename IPmcPtrList<T>::iterator it_;
};

#endif
