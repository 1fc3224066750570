// The SNMPv1/v2c target: the common fields and a community.
#include <new>
#include <string>

#include "message/snmp_target_base.h"
#include "value/library_object.h"

namespace {

class CPmsCommunityTarget final : public CPmsSnmpTargetBase, public IPmsCommunityTarget {
public:
    CPmsCommunityTarget() = default;
    virtual ~CPmsCommunityTarget() = default;

    pmc_long accept(IPmsHeaderVisitor* visitor) override {
        if (visitor == nullptr) return PMC_E_INVALID_ARG;
        return visitor->visit_community_header(this);
    }
    void release() override { delete this; }
    void clear_credentials() override { clear_community(); }

    bool equals(IPmsSnmpTarget* other) override {
        IPmsCommunityTarget* peer = community_view(other);
        if (peer == nullptr) return false;
        const char* theirs = peer->get_community();
        if (!has_community_ || theirs == nullptr) return !has_community_ && theirs == nullptr;
        return community_ == theirs;
    }

    pmc_long translate_type() override { return PMS_SECURITY_COMMUNITY; }

    pmc_long set_community(const char* community) override {
        if (community == nullptr) {
            clear_community();
            return PMC_S_OK;
        }
        try {
            community_.assign(community);
        } catch (...) {
            return PMC_E_NO_MEMORY;
        }
        has_community_ = true;
        return PMC_S_OK;
    }
    const char* get_community() override { return has_community_ ? community_.c_str() : nullptr; }

protected:
    IPmsSnmpTarget* create_same_kind(pmc_long* status) override {
        return create_community_target(status);
    }

    void* kind_interface(pmc_long id) override {
        if (id == PMS_IID_COMMUNITY_TARGET || id == PMS_IID_COMMUNITY_TARGET_ALT) {
            return static_cast<IPmsCommunityTarget*>(this);
        }
        return nullptr;
    }

    pmc_long copy_credentials(IPmsSnmpTarget* source) override {
        IPmsCommunityTarget* peer = community_view(source);
        if (peer == nullptr) return PMC_E_INVALID_ARG;
        return set_community(peer->get_community());
    }

private:
    static IPmsCommunityTarget* community_view(IPmsSnmpTarget* target) {
        void* view = nullptr;
        if (target != nullptr) target->query_interface(PMS_IID_COMMUNITY_TARGET_ALT, &view);
        return static_cast<IPmsCommunityTarget*>(view);
    }

    void clear_community() {
        community_.clear();
        has_community_ = false;
    }

    std::string community_;
    bool has_community_ = false;
};

}  // namespace

IPmsSnmpTarget* create_community_target(pmc_long* status) {
    return pmc_new_object<CPmsCommunityTarget>(status);
}

IPmsSnmpTarget* create_target_for_type(pmc_long translate_type, pmc_long* status) {
    // The decoder only ever builds community targets from a message.
    if (translate_type != PMS_SECURITY_COMMUNITY) {
        if (status != nullptr) *status = PMC_E_INVALID_ARG;
        return nullptr;
    }
    return create_community_target(status);
}
