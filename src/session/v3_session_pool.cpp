#include "session/v3_session_pool.h"

#include <algorithm>

#include "log/component_log.h"
#include "net/socket_api.h"

namespace {

// The key holds pass phrases: gone from memory with the entry.
void wipe(std::string* text) {
    volatile char* at = text->empty() ? nullptr : &(*text)[0];
    for (std::size_t i = 0; i < text->size(); ++i) at[i] = 0;
    text->clear();
}

// Room for a usual key at once: a user, two pass phrases, an engine.
constexpr std::size_t kKeyReserve = 160;

// A number's octets as they lie: the key is only ever compared.
template <typename Number>
void append_number(std::string* key, Number number) {
    key->append(reinterpret_cast<const char*>(&number), sizeof number);
}

// Each field with its length first, so that no two targets share a key.
void append_field(std::string* key, const char* text, std::size_t length) {
    append_number(key, length);
    key->append(text != nullptr ? text : "", length);
}

void append_text(std::string* key, const char* text) {
    append_field(key, text, text != nullptr ? std::char_traits<char>::length(text) : 0);
}

}  // namespace

pmc_long pms_v3_pool_key(IPmsSnmpTarget* target, const std::string& agent, const V3Engine& engine,
                         std::string* key) {
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    if (v3 == nullptr) return PMC_E_INVALID_ARG;
    try {
        key->clear();
        key->reserve(kKeyReserve);
        append_field(key, agent.data(), agent.size());
        append_text(key, v3->get_user_name());
        append_number(key, v3->get_security_level());
        append_number(key, v3->get_auth_protocol());
        append_number(key, v3->get_priv_protocol());
        append_text(key, v3->get_auth_pass_phrase());
        append_text(key, v3->get_priv_pass_phrase());
        append_text(key, v3->get_context_name());
        append_field(key, reinterpret_cast<const char*>(engine.id.data()), engine.id.size());
    } catch (...) {
        wipe(key);
        return PMC_E_NO_MEMORY;
    }
    return PMC_S_OK;
}

V3SessionPool::V3SessionPool(std::size_t capacity, Clock::duration idle)
    : capacity_(capacity), idle_(idle) {}

V3SessionPool::~V3SessionPool() { clear(); }

V3SessionPool& V3SessionPool::process() {
    // What closing a session touches must outlive the pool.
    pmc_socket_log();
    pmc_snmp_log();
    NPmcSocketAPI::table();
    static V3SessionPool pool(kDefaultCapacity, kDefaultIdle);
    return pool;
}

void V3SessionPool::sweep(Clock::time_point now, Entries* leaving) {
    auto stale = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Idle& entry) { return now - entry.since >= idle_; });
    leaving->splice(leaving->end(), entries_, stale, entries_.end());
    while (entries_.size() > capacity_) leaving->splice(leaving->end(), entries_, std::prev(entries_.end()));
}

std::unique_ptr<V3OpenSession> V3SessionPool::take(const std::string& key) {
    Entries leaving;
    std::unique_ptr<V3OpenSession> session;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sweep(Clock::now(), &leaving);
        auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Idle& entry) { return entry.key == key; });
        if (found != entries_.end()) {
            session = std::move(found->session);
            leaving.splice(leaving.end(), entries_, found);
        }
    }
    for (Idle& entry : leaving) wipe(&entry.key);
    return session;
}

void V3SessionPool::give_back(const std::string& key, std::unique_ptr<V3OpenSession> session) {
    Entries leaving;
    try {
        leaving.push_back(Idle{key, std::move(session), Clock::now()});
    } catch (...) {
        return;  // closed on the way out
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.splice(entries_.begin(), leaving, leaving.begin());
        sweep(Clock::now(), &leaving);
    }
    for (Idle& entry : leaving) wipe(&entry.key);
}

void V3SessionPool::clear() {
    Entries leaving;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        leaving.splice(leaving.end(), entries_);
    }
    for (Idle& entry : leaving) wipe(&entry.key);
}

std::size_t V3SessionPool::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}
