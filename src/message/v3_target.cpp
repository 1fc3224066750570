// The SNMPv3 target: the common fields and the user-based security
// parameters.
#include <cstring>
#include <new>
#include <string>

#include "message/snmp_target_base.h"
#include "value/value_factory.h"

namespace {

class CPmsV3Target final : public CPmsSnmpTargetBase, public IPmsV3Target {
public:
    CPmsV3Target() = default;
    virtual ~CPmsV3Target() = default;

    // The engine identifier is an object of its own; its creation can fail.
    pmc_long init() {
        pmc_long status = PMC_S_OK;
        engine_id_.reset(pmc_create_byte_string(&status));
        if (!engine_id_) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        return PMC_S_OK;
    }

    pmc_long accept(IPmsHeaderVisitor* visitor) override {
        if (visitor == nullptr) return PMC_E_INVALID_ARG;
        return visitor->visit_v3_header(this);
    }
    void release() override { delete this; }
    void clear_credentials() override {}

    bool equals(IPmsSnmpTarget* other) override {
        IPmsV3Target* peer = v3_view(other);
        if (peer == nullptr) return false;
        return same_text(user_name_, peer->get_user_name()) &&
               security_level_ == peer->get_security_level() &&
               auth_protocol_ == peer->get_auth_protocol() &&
               priv_protocol_ == peer->get_priv_protocol() &&
               same_text(auth_pass_phrase_, peer->get_auth_pass_phrase()) &&
               same_text(priv_pass_phrase_, peer->get_priv_pass_phrase()) &&
               same_text(context_name_, peer->get_context_name());
    }

    pmc_long translate_type() override { return PMS_SECURITY_USM; }

    const char* get_user_name() override { return user_name_.c_str(); }
    pmc_long get_security_level() override { return security_level_; }
    pmc_long get_auth_protocol() override { return auth_protocol_; }
    pmc_long get_priv_protocol() override { return priv_protocol_; }
    const char* get_auth_pass_phrase() override { return auth_pass_phrase_.c_str(); }
    const char* get_priv_pass_phrase() override { return priv_pass_phrase_.c_str(); }
    const char* get_context_name() override { return context_name_.c_str(); }
    IPmcByteString* get_engine_id() override { return engine_id_.get(); }

    pmc_long set_user_name(const char* name) override {
        if (name != nullptr && std::strlen(name) > PMS_V3_USER_NAME_MAX) return PMC_E_INVALID_ARG;
        return store_text(user_name_, name);
    }
    pmc_long set_security_level(pmc_long level) override {
        security_level_ = level;
        return PMC_S_OK;
    }
    pmc_long set_auth_protocol(pmc_long protocol) override {
        auth_protocol_ = protocol;
        return PMC_S_OK;
    }
    pmc_long set_priv_protocol(pmc_long protocol) override {
        priv_protocol_ = protocol;
        return PMC_S_OK;
    }
    pmc_long set_auth_pass_phrase(const char* phrase) override {
        return store_text(auth_pass_phrase_, phrase);
    }
    pmc_long set_priv_pass_phrase(const char* phrase) override {
        return store_text(priv_pass_phrase_, phrase);
    }
    pmc_long set_context_name(const char* name) override { return store_text(context_name_, name); }
    pmc_long set_engine_id(const unsigned char* octets, pmc_ulong length) override {
        if (octets == nullptr || length == 0) return engine_id_->assign(nullptr, 0);
        return engine_id_->assign(octets, length);
    }

protected:
    IPmsSnmpTarget* create_same_kind(pmc_long* status) override { return create_v3_target(status); }

    void* kind_interface(pmc_long id) override {
        if (id == PMS_IID_V3_TARGET || id == PMS_IID_V3_TARGET_ALT) {
            return static_cast<IPmsV3Target*>(this);
        }
        return nullptr;
    }

    pmc_long copy_credentials(IPmsSnmpTarget* source) override {
        IPmsV3Target* peer = v3_view(source);
        if (peer == nullptr) return PMC_E_INVALID_ARG;
        pmc_long status = set_user_name(peer->get_user_name());
        if (status == PMC_S_OK) status = set_security_level(peer->get_security_level());
        if (status == PMC_S_OK) status = set_auth_protocol(peer->get_auth_protocol());
        if (status == PMC_S_OK) status = set_priv_protocol(peer->get_priv_protocol());
        if (status == PMC_S_OK) status = set_auth_pass_phrase(peer->get_auth_pass_phrase());
        if (status == PMC_S_OK) status = set_priv_pass_phrase(peer->get_priv_pass_phrase());
        if (status == PMC_S_OK) status = set_context_name(peer->get_context_name());
        if (status == PMC_S_OK) status = copy_engine_id(peer->get_engine_id());
        return status;
    }

private:
    static IPmsV3Target* v3_view(IPmsSnmpTarget* target) {
        void* view = nullptr;
        if (target != nullptr) target->query_interface(PMS_IID_V3_TARGET_ALT, &view);
        return static_cast<IPmsV3Target*>(view);
    }

    // A null text reads as the empty text, as the setters store it.
    static bool same_text(const std::string& ours, const char* theirs) {
        return ours == (theirs != nullptr ? theirs : "");
    }

    // A null text stores the empty text.
    static pmc_long store_text(std::string& field, const char* text) {
        try {
            field.assign(text != nullptr ? text : "");
        } catch (...) {
            return PMC_E_NO_MEMORY;
        }
        return PMC_S_OK;
    }

    pmc_long copy_engine_id(IPmcByteString* source) {
        if (source == nullptr) return set_engine_id(nullptr, 0);
        return set_engine_id(source->get_data(), source->get_length());
    }

    std::string user_name_;
    pmc_long security_level_ = PMS_SEC_NO_AUTH_NO_PRIV;
    pmc_long auth_protocol_ = 0;
    pmc_long priv_protocol_ = 0;
    std::string auth_pass_phrase_;
    std::string priv_pass_phrase_;
    std::string context_name_;
    pmc::Owned<IPmcByteString> engine_id_;
};

}  // namespace

IPmsSnmpTarget* create_v3_target(pmc_long* status) {
    pmc::Owned<CPmsV3Target> target(new (std::nothrow) CPmsV3Target());
    pmc_long result = target ? target->init() : PMC_E_NO_MEMORY;
    if (status != nullptr) *status = result;
    return result == PMC_S_OK ? target.release() : nullptr;
}
