#include "commands/discovery.h"

#include "printer/mib_reader.h"
#include "printer/printer_mib.h"

#include "api/client_exchange.h"
#include "api/client_reason.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <thread>

namespace pmtool {

namespace {

const Oid kSysObjectId{1, 3, 6, 1, 2, 1, 1, 2, 0};
const Oid kPrinterMib{1, 3, 6, 1, 2, 1, 43};
// hrDeviceType of the first device.
const Oid kFirstDeviceType = mib::kHrDeviceType + Oid{1};

NPmcClient::TargetOptions target_of(const DiscoveryOptions& options, const std::string& address) {
    NPmcClient::TargetOptions target;
    target.address = address;
    target.address_kind = options.destination.kind;
    target.port = options.destination.port;
    target.version = options.version;
    target.community = options.community;
    target.timeout_ms = options.timeout_ms;
    target.retries = options.retries;
    return target;
}

Bindings names(const std::vector<Oid>& oids) {
    Bindings request(oids.size());
    for (std::size_t i = 0; i < oids.size(); ++i) request[i].oid = oids[i];
    return request;
}

// Takes what an answer says about the agent; one with an error status says
// nothing.
void read_answer(const NPmcClient::ExchangeResult& answer, DiscoveredAgent* agent) {
    if (answer.error_status != PMS_ERR_NO_ERROR) return;
    for (const Binding& binding : answer.bindings) {
        const Oid& oid = binding.oid;
        if (oid == mib::kSysDescr) agent->description = binding.octets;
        if (oid == mib::kSysName) agent->name = binding.octets;
        if (oid == kSysObjectId) agent->object_id = binding.oid_value.text();
        if (oid == kFirstDeviceType && binding.oid_value == mib::kHrDevicePrinter) agent->printer = true;
        if (oid.is_below(kPrinterMib)) agent->printer = true;
    }
}

// Follow-up questions run side by side, each with its own socket: a few
// dozen at once bound threads and descriptors alike.
constexpr std::size_t kFollowUpWorkers = 32;

using Clock = std::chrono::steady_clock;

// Fits target's tries into what is left before deadline: a shorter last
// try, or fewer retries. False when no time is left.
bool fit_to_deadline(Clock::time_point deadline, NPmcClient::TargetOptions* target) {
    const std::int64_t left_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left_ms <= 0) return false;
    if (target->timeout_ms >= left_ms) {
        target->timeout_ms = static_cast<pmc_long>(left_ms);
        target->retries = 0;
    } else {
        target->retries = static_cast<pmc_long>(std::min<std::int64_t>(target->retries, left_ms / target->timeout_ms - 1));
    }
    return true;
}

// One question to the agent alone, within deadline; what it answers goes
// into *agent, and silence only leaves *agent as it was.
void ask_agent(const DiscoveryOptions& options, Clock::time_point deadline, pmc_long type,
               const std::vector<Oid>& oids, DiscoveredAgent* agent) {
    NPmcClient::TargetOptions target = target_of(options, agent->address);
    if (!fit_to_deadline(deadline, &target)) return;
    const NPmcClient::ExchangeResult answer = NPmcClient::exchange(target, type, names(oids));
    if (answer.status == PMC_S_OK) read_answer(answer, agent);
}

DiscoveredAgent agent_of(const DiscoveryOptions& options, Clock::time_point deadline,
                         const NPmcClient::BroadcastAnswer& reply) {
    DiscoveredAgent agent;
    agent.address = reply.address;
    read_answer(reply.answer, &agent);
    // SNMPv1 answers noSuchName for the whole request when one object is
    // missing (hrDeviceType.1 on agents without Host Resources).
    if (reply.answer.error_status != PMS_ERR_NO_ERROR)
        ask_agent(options, deadline, PMS_PDU_GET, {mib::kSysDescr, mib::kSysName, kSysObjectId}, &agent);
    if (!agent.printer) ask_agent(options, deadline, PMS_PDU_GET_NEXT, {kPrinterMib}, &agent);
    return agent;
}

// Every answer's agent, asked its follow-up questions concurrently; all of
// them end by one deadline, the time one agent's two questions may take.
std::vector<DiscoveredAgent> agents_of(const DiscoveryOptions& options,
                                       const std::vector<NPmcClient::BroadcastAnswer>& answers) {
    const std::int64_t tries = std::max<pmc_long>(options.retries, 0) + 1;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(2 * tries * options.timeout_ms);
    std::vector<DiscoveredAgent> agents(answers.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < answers.size(); i = next++) agents[i] = agent_of(options, deadline, answers[i]);
    };
    std::vector<std::thread> workers;
    try {
        while (workers.size() < std::min(kFollowUpWorkers, answers.size())) workers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads only take longer; this one works too.
    }
    work();
    for (std::thread& worker : workers) worker.join();
    return agents;
}

// Family first (IPv4 before IPv6), then the address's octets.
std::array<unsigned char, 17> address_key(const std::string& text) {
    std::array<unsigned char, 17> key{};
    if (inet_pton(AF_INET, text.c_str(), key.data() + 1) == 1) return key;
    key[0] = 1;
    if (inet_pton(AF_INET6, text.c_str(), key.data() + 1) == 1) return key;
    key[0] = 2;
    return key;
}

}  // namespace

bool address_before(const std::string& a, const std::string& b) {
    const auto key_a = address_key(a);
    const auto key_b = address_key(b);
    return key_a != key_b ? key_a < key_b : a < b;
}

pmc_long discover_agents(const DiscoveryOptions& options, std::vector<DiscoveredAgent>* agents,
                         std::string* reason) {
    const NPmcClient::BroadcastResult result = NPmcClient::broadcast(
        target_of(options, options.destination.address), PMS_PDU_GET,
        names({mib::kSysDescr, mib::kSysName, kSysObjectId, kFirstDeviceType}));
    if (result.status != PMC_S_OK) {
        *reason = NPmcClient::status_reason(result.status, target_of(options, options.destination.address));
        return result.status;
    }
    *agents = agents_of(options, result.answers);
    std::sort(agents->begin(), agents->end(), [](const DiscoveredAgent& a, const DiscoveredAgent& b) {
        return address_before(a.address, b.address);
    });
    return PMC_S_OK;
}

}  // namespace pmtool
