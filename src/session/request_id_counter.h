// Request identifiers: a signed 32-bit counter that wraps, drawn atomically
// so that any number of threads and sessions get distinct identifiers.
#ifndef PMSNMP_SESSION_REQUEST_ID_COUNTER_H
#define PMSNMP_SESSION_REQUEST_ID_COUNTER_H

#include <atomic>

#include <pmsnmp/types.h>

class RequestIdCounter {
public:
    // The first next() answers last + 1.
    constexpr explicit RequestIdCounter(pmc_long last) noexcept : last_(last) {}
    RequestIdCounter(const RequestIdCounter&) = delete;
    RequestIdCounter& operator=(const RequestIdCounter&) = delete;

    // The next identifier; after 2147483647 comes -2147483648.
    pmc_long next() noexcept;

private:
    std::atomic<pmc_long> last_;
};

// The process-wide counter: starts at -1, so the first request carries 0.
pmc_long pms_next_request_id() noexcept;

#endif
