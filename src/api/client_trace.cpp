#include "api/client_trace.h"

#include <array>

#include "log/log_config.h"
#include "log/log_levels.h"

namespace NPmcClient {

pmc_long trace_to_file(TraceDetail detail, const std::string& path) {
    static constexpr std::array<pmc_ulong, 5> masks = {
        PMC_LOG_ERROR, PMC_LOG_ERROR | PMC_LOG_WARN, PMC_LOG_ERROR | PMC_LOG_WARN | PMC_LOG_INFO,
        PMC_LOG_ERROR | PMC_LOG_WARN | PMC_LOG_INFO | PMC_LOG_DEBUG, PMC_LOG_ALL};
    return pmc_log_configure(masks[static_cast<std::size_t>(detail)], PMC_LOG_FLAGS_DEFAULT,
                             path.c_str());
}

}  // namespace NPmcClient
