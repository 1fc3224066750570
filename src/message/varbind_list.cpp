// The ordered list of owned bindings. Only pointers move, never bindings.
// A vector rather than a deque: lists rarely hold more than a message's
// worth of bindings, where shifting pointers at the front costs less than
// the deque's 512-octet block would for every response a walk keeps.
#include <algorithm>
#include <new>
#include <vector>

#include <pmsnmp/owned.h>

#include "message/pdu_factory.h"
#include "value/library_object.h"

namespace {

class CPmsVarBindList final : public IPmsVarBindList, private PmcNoCopy {
public:
    virtual ~CPmsVarBindList() {
        for (IPmsVarBind* binding : items_) binding->release();
    }

    void release() override { delete this; }

    IPmsVarBindList* clone(pmc_long* status) const override {
        if (!items_.empty()) return clone_range(0, count(), status);
        return create_varbind_list(status);
    }

    bool equals(const IPmsVarBindList* other) const override {
        if (other == nullptr || other->count() != count()) return false;
        for (pmc_ulong i = 0; i < count(); ++i) {
            if (!items_[i]->equals(other->get_at(i))) return false;
        }
        return true;
    }

    pmc_ulong count() const override { return static_cast<pmc_ulong>(items_.size()); }

    pmc_long add(IPmsOid* oid, IPmsValue* value) override {
        return add_pair(oid, value, End::kBack);
    }

    pmc_long append(IPmsVarBind* binding) override {
        if (binding == nullptr) return PMC_E_INVALID_ARG;
        return grow([this, binding] { items_.push_back(binding); }) ? PMC_S_OK : PMC_E_NO_MEMORY;
    }

    pmc_long add_front(IPmsOid* oid, IPmsValue* value) override {
        return add_pair(oid, value, End::kFront);
    }

    pmc_long insert_front(IPmsVarBind* binding) override {
        if (binding == nullptr) return PMC_E_INVALID_ARG;
        return grow([this, binding] { items_.insert(items_.begin(), binding); }) ? PMC_S_OK
                                                                                 : PMC_E_NO_MEMORY;
    }

    pmc_long remove_at(pmc_ulong index, IPmsVarBind** out) override {
        if (out != nullptr) *out = nullptr;
        if (index >= count()) return PMC_E_INVALID_ARG;
        IPmsVarBind* binding = items_[index];
        items_.erase(items_.begin() + index);
        if (out != nullptr) {
            *out = binding;
        } else {
            binding->release();
        }
        return PMC_S_OK;
    }

    void pop_detach(IPmsOid** oid, IPmsValue** value) override {
        if (oid != nullptr) *oid = nullptr;
        if (value != nullptr) *value = nullptr;
        pmc::Owned<IPmsVarBind> binding(pop_front());
        if (binding) binding->detach(oid, value);
    }

    IPmsVarBind* pop_front() override {
        if (items_.empty()) return nullptr;
        IPmsVarBind* binding = items_.front();
        items_.erase(items_.begin());
        return binding;
    }

    IPmsVarBind* get_at(pmc_ulong index) const override {
        return index < count() ? items_[index] : nullptr;
    }

    IPmsVarBindList* clone_range(pmc_ulong start, pmc_ulong n, pmc_long* status) const override {
        pmc_long result = PMC_S_OK;
        pmc::Owned<CPmsVarBindList> copy;
        if (start >= count()) {
            result = PMC_E_INVALID_ARG;
        } else {
            copy.reset(new (std::nothrow) CPmsVarBindList());
            if (!copy) result = PMC_E_NO_MEMORY;
        }
        const pmc_ulong end = start + std::min(n, count() - start);
        if (result == PMC_S_OK && !grow([&] { copy->items_.reserve(end - start); })) {
            result = PMC_E_NO_MEMORY;
        }
        for (pmc_ulong i = start; result == PMC_S_OK && i < end; ++i) {
            pmc::Owned<IPmsVarBind> binding(items_[i]->clone(&result));
            if (!binding && result == PMC_S_OK) result = PMC_E_NO_MEMORY;
            if (result == PMC_S_OK) result = copy->append(binding.get());
            if (result == PMC_S_OK) binding.release();
        }
        if (status != nullptr) *status = result;
        return result == PMC_S_OK ? copy.release() : nullptr;
    }

    IPmsVarBindList* split_front(pmc_ulong n, pmc_long* status) override {
        pmc_long result = PMC_S_OK;
        pmc::Owned<CPmsVarBindList> front(new (std::nothrow) CPmsVarBindList());
        const auto moved = static_cast<std::vector<IPmsVarBind*>::difference_type>(std::min(n, count()));
        if (!front) {
            result = PMC_E_NO_MEMORY;
        } else if (!grow([&] { front->items_.assign(items_.begin(), items_.begin() + moved); })) {
            result = PMC_E_NO_MEMORY;
        } else {
            // The new list holds the pointers now; erasing them here cannot fail.
            items_.erase(items_.begin(), items_.begin() + moved);
        }
        if (status != nullptr) *status = result;
        return result == PMC_S_OK ? front.release() : nullptr;
    }

    void apply_error(pmc_long error_status, pmc_long error_index) override {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const bool aimed_here = static_cast<pmc_long>(i + 1) == error_index;
            items_[i]->set_status(aimed_here ? error_status : PMS_VARBIND_OTHER_ERROR);
        }
    }

    void set_all_status(pmc_long status) override {
        for (IPmsVarBind* binding : items_) binding->set_status(status);
    }

private:
    enum class End { kFront, kBack };

    // A new binding for the pair at one end of the list. The slot is made
    // first: once the binding holds the pair, nothing may fail any more.
    pmc_long add_pair(IPmsOid* oid, IPmsValue* value, End end) {
        if (oid == nullptr) return PMC_E_INVALID_ARG;
        const bool front = end == End::kFront;
        if (!grow([&] { items_.insert(front ? items_.begin() : items_.end(), nullptr); })) {
            return PMC_E_NO_MEMORY;
        }
        IPmsVarBind*& slot = front ? items_.front() : items_.back();
        pmc_long status = PMC_S_OK;
        slot = make_binding(oid, value, &status);
        if (slot != nullptr) return PMC_S_OK;
        items_.erase(front ? items_.begin() : items_.end() - 1);
        return status;
    }

    // Runs a container change that may allocate; false when memory ran out.
    template <class Change>
    static bool grow(Change change) noexcept {
        try {
            change();
            return true;
        } catch (...) {
            return false;
        }
    }

    // A new binding holding the pair, or null with the status (the caller
    // then still owns the pair).
    static IPmsVarBind* make_binding(IPmsOid* oid, IPmsValue* value, pmc_long* status) {
        pmc::Owned<IPmsVarBind> binding(create_varbind(status));
        if (!binding) return nullptr;
        *status = binding->set(oid, value);
        return *status == PMC_S_OK ? binding.release() : nullptr;
    }

    std::vector<IPmsVarBind*> items_;
};

}  // namespace

IPmsVarBindList* create_varbind_list(pmc_long* status) {
    return pmc_new_object<CPmsVarBindList>(status);
}
