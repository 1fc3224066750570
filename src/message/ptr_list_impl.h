// The one implementation behind every IPmcPtrList<T>: a circular doubly
// linked chain around a sentinel, with an element policy deciding what is
// stored (acquire) and how a removed element ends (dispose).
//
// A policy is any copyable type with
//     T* acquire(T* element);        // the pointer to store, null refuses
//     pmc_long dispose(T* element);  // ends an element the list gives up
// The default, PmcReleasePolicy<T>, stores the element as given and calls its
// release(). Other users instantiate the list with their own policy:
//     IPmcPtrList<X>* list = pmc_create_ptr_list<X, MyPolicy>(&status);
#ifndef PMSNMP_MESSAGE_PTR_LIST_IMPL_H
#define PMSNMP_MESSAGE_PTR_LIST_IMPL_H

#include <new>
#include <utility>

#include <pmsnmp/ptr_list.h>

#include "value/library_object.h"

struct PmcListNode {
    PmcListNode* prev;
    PmcListNode* next;
    void* element;  // typed by the owning list; unused in the sentinel
};

// owner tells a list its own iterators from another list's.
struct PmcListIterator {
    const void* owner;
    PmcListNode* node;
};

template <class T>
struct PmcReleasePolicy {
    T* acquire(T* element) { return element; }
    pmc_long dispose(T* element) {
        element->release();
        return PMC_S_OK;
    }
};

template <class T, class Policy = PmcReleasePolicy<T>>
class CPmcPtrList final : public IPmcPtrList<T> {
public:
    typedef typename IPmcPtrList<T>::iterator iterator;

    explicit CPmcPtrList(Policy policy = Policy()) : policy_(std::move(policy)) {
        sentinel_.prev = &sentinel_;
        sentinel_.next = &sentinel_;
        sentinel_.element = nullptr;
    }
    CPmcPtrList(const CPmcPtrList&) = delete;
    CPmcPtrList& operator=(const CPmcPtrList&) = delete;
    virtual ~CPmcPtrList() {
        while (count_ != 0) dispose_node(sentinel_.next);
    }

    pmc_long add_front(T* element) override { return insert_after(&sentinel_, element); }
    pmc_long add(T* element) override { return insert_after(sentinel_.prev, element); }

    pmc_long remove_front() override {
        return count_ == 0 ? PMC_S_OK : dispose_node(sentinel_.next);
    }
    pmc_long remove_back() override {
        return count_ == 0 ? PMC_S_OK : dispose_node(sentinel_.prev);
    }
    pmc_long clear() override {
        while (count_ != 0) dispose_node(sentinel_.next);
        return PMC_S_OK;
    }
    pmc_ulong count() const override { return count_; }

    iterator create_iterator(pmc_long* status) override {
        PmcListIterator* it = new (std::nothrow) PmcListIterator{this, sentinel_.next};
        if (status != nullptr) *status = it != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
        return it;
    }
    void rewind(iterator it) override {
        if (owns(it)) it->node = sentinel_.next;
    }
    void release_iterator(iterator it) override {
        if (owns(it)) delete it;
    }
    T* current(iterator it) override {
        if (!owns(it) || it->node == &sentinel_) return nullptr;
        return static_cast<T*>(it->node->element);
    }
    void next(iterator it) override {
        if (owns(it) && it->node != &sentinel_) it->node = it->node->next;
    }
    // The caller takes the element over, so it is not disposed.
    void erase(iterator it) override {
        if (!owns(it) || count_ == 0 || it->node == &sentinel_) return;
        PmcListNode* node = it->node;
        it->node = node->next;
        delete unlink(node);
    }
    void* internal_sentinel() override { return &sentinel_; }
    void release() override { delete this; }

private:
    bool owns(const PmcListIterator* it) const { return it != nullptr && it->owner == this; }

    pmc_long insert_after(PmcListNode* before, T* element) {
        if (element == nullptr) return PMC_E_INVALID_ARG;
        // The node comes first so that a refused allocation needs no undo of
        // acquire.
        PmcListNode* node = new (std::nothrow) PmcListNode{before, before->next, nullptr};
        if (node == nullptr) return PMC_E_NO_MEMORY;
        T* stored = policy_.acquire(element);
        if (stored == nullptr) {
            delete node;
            return PMC_E_NO_MEMORY;
        }
        node->element = stored;
        before->next->prev = node;
        before->next = node;
        ++count_;
        return PMC_S_OK;
    }

    PmcListNode* unlink(PmcListNode* node) {
        node->prev->next = node->next;
        node->next->prev = node->prev;
        --count_;
        return node;
    }

    pmc_long dispose_node(PmcListNode* node) {
        T* element = static_cast<T*>(unlink(node)->element);
        delete node;
        return policy_.dispose(element);
    }

    PmcListNode sentinel_;
    pmc_ulong count_ = 0;
    Policy policy_;
};

// A new empty list; status 0, or -3 and null.
template <class T, class Policy = PmcReleasePolicy<T>>
IPmcPtrList<T>* pmc_create_ptr_list(pmc_long* status, Policy policy = Policy()) {
    return pmc_new_object<CPmcPtrList<T, Policy>>(status, std::move(policy));
}

#endif
