#include "session/request_id_counter.h"

pmc_long RequestIdCounter::next() noexcept {
    // Atomic signed arithmetic wraps (two's complement); the + 1 on the old
    // value is done unsigned so that it wraps too instead of overflowing.
    const pmc_long old = last_.fetch_add(1, std::memory_order_relaxed);
    return static_cast<pmc_long>(static_cast<pmc_ulong>(old) + 1u);
}

pmc_long pms_next_request_id() noexcept {
    static RequestIdCounter counter(-1);
    return counter.next();
}
