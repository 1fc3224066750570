// MinGW's thread_local objects are destroyed at thread exit after their
// storage has gone, so the scratch is released from a fiber-local slot's
// callback instead, which is handed the object itself.
#include "codec/peek_scratch.h"

#include <windows.h>

#include <new>

namespace {

void WINAPI destroy_scratch(void* scratch) { delete static_cast<CPmsPeekScratch*>(scratch); }

// Freed when the DLL unloads, which releases every thread's scratch while
// the callback's code is still there.
struct ScratchSlot {
    ScratchSlot() : index(FlsAlloc(destroy_scratch)) {}
    ~ScratchSlot() {
        if (index != FLS_OUT_OF_INDEXES) FlsFree(index);
    }
    const DWORD index;
};

}  // namespace

CPmsPeekScratch& CPmsPeekScratch::local() {
    static ScratchSlot slot;
    if (slot.index != FLS_OUT_OF_INDEXES) {
        auto* scratch = static_cast<CPmsPeekScratch*>(FlsGetValue(slot.index));
        if (scratch != nullptr) return *scratch;
        scratch = new (std::nothrow) CPmsPeekScratch;
        if (scratch != nullptr && FlsSetValue(slot.index, scratch)) return *scratch;
        delete scratch;
    }
    // Out of slots or memory: the thread's own storage, as elsewhere.
    thread_local CPmsPeekScratch fallback;
    return fallback;
}
