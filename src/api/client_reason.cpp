#include "api/client_reason.h"

#include "api/client_exchange.h"

#include <array>

namespace NPmcClient {

std::string host_text(const TargetOptions& options) {
    const std::string shown =
        options.address_kind == PMC_ADDRESS_IPV6 ? "[" + options.address + "]" : options.address;
    return shown + ":" + std::to_string(options.port);
}

std::string error_status_name(pmc_long error_status) {
    static const std::array<const char*, 19> names = {
        "noError",     "tooBig",        "noSuchName",  "badValue",           "readOnly",
        "genErr",      "noAccess",      "wrongType",   "wrongLength",        "wrongEncoding",
        "wrongValue",  "noCreation",    "inconsistentValue", "resourceUnavailable", "commitFailed",
        "undoFailed",  "authorizationError", "notWritable", "inconsistentName"};
    if (error_status >= 0 && static_cast<std::size_t>(error_status) < names.size())
        return names[static_cast<std::size_t>(error_status)];
    return "error status " + std::to_string(error_status);
}

std::string error_status_reason(pmc_long error_status, const Oid& oid) {
    std::string reason = "the agent answered " + error_status_name(error_status);
    if (!oid.empty()) reason += " for ." + oid.text();
    return reason;
}

namespace {

std::string time_out_reason(const TargetOptions& options) {
    return "no answer from " + host_text(options) + " within " + std::to_string(options.timeout_ms) + " ms (" +
           std::to_string(options.retries + 1) + (options.retries == 0 ? " try" : " tries") +
           (options.version == PMS_VERSION_3 ? "): agent unreachable" : "): agent unreachable, or wrong community");
}

}  // namespace

std::string status_reason(pmc_long status, const TargetOptions& options, const std::string& refusal) {
    const std::string host = host_text(options);
    switch (status) {
    case PMC_E_TIMEOUT:
        return time_out_reason(options);
    case PMC_E_NOT_SUPPORTED:
        if (options.version == PMS_VERSION_3) return "SNMPv3 is not supported by this build of the library";
        return "the operation is not supported for this agent";
    case PMC_E_INVALID_ARG:
        return "bad argument (address, identifier, version or security option)";
    case PMC_E_NO_MEMORY:
        return "out of memory";
    case PMC_E_NO_VALUE:
        return "the agent's answer holds no value";
    case PMC_E_SOCKET_CREATE:
        return "cannot create a UDP socket for " + host;
    case PMC_E_SOCKET_BIND:
        return "cannot bind a UDP socket for " + host;
    case PMC_E_SEND:
        return "sending to " + host + " failed";
    case PMC_E_RECEIVE:
        return "receiving from " + host + " failed";
    case PMC_E_TOO_BIG:
    case PMC_E_MESSAGE_TOO_LARGE:
    case PMC_E_CANNOT_SPLIT:
        return "the request does not fit the message size limit of " + host;
    case PMC_E_DECODE:
        return "the answer from " + host + " could not be decoded" + (refusal.empty() ? "" : ": " + refusal);
    case PMC_E_OTHER_REQUEST:
        return "only answers to other requests came from " + host;
    case PMC_E_SECURITY:
        return refusal.empty() ? "SNMPv3 security failure (user, authentication or privacy)" : refusal;
    case PMC_E_V3_LIBRARY:
        return "SNMPv3 library failure";
    default:
        return "request to " + host + " failed with status " + std::to_string(status);
    }
}

}  // namespace NPmcClient
