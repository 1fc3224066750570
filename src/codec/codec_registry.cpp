#include "codec/codec_registry.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include <pmsnmp/owned.h>

#include "codec/trans_stream_codec.h"
#include "message/ptr_list_impl.h"
#include "value/library_object.h"

namespace {

// Factories are static objects: the list stores them but never ends them.
struct FactoryPolicy {
    IPmsCodecFactory* acquire(IPmsCodecFactory* factory) { return factory; }
    pmc_long dispose(IPmsCodecFactory*) { return PMC_S_OK; }
};

class CPmsCodecRegistry final : public IPmsCodecRegistry, private PmcNoCopy {
public:
    pmc_long select(const char* name) override {
        std::lock_guard<std::mutex> guard(lock_);
        if (name == nullptr) {
            selected_.store(nullptr);
            return PMC_S_OK;
        }
        IPmsCodecFactory* found = find(name);
        if (found == nullptr) return PMC_E_INVALID_ARG;
        selected_.store(found);
        return PMC_S_OK;
    }

    const char* selected_name() override {
        IPmsCodecFactory* factory = selected_.load();
        return factory != nullptr ? factory->name() : nullptr;
    }

    pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                    pmc_ulong* encoded_count) override {
        IPmsCodecFactory* factory = selected_.load();
        if (factory == nullptr) return PMC_E_NO_CODEC;
        if (buffer == nullptr) return PMC_E_INVALID_ARG;
        return factory->encode(pdu, target, buffer, encoded_count);
    }

    pmc_long encode_packet(IPmsSnmpPacket* packet, IPmsMessageBuffer* buffer,
                           pmc_ulong* encoded_count) override {
        IPmsCodecFactory* factory = selected_.load();
        if (factory == nullptr) return PMC_E_NO_CODEC;
        if (packet == nullptr || buffer == nullptr) return PMC_E_INVALID_ARG;
        return factory->encode(packet->get_pdu(), packet->get_target(), buffer, encoded_count);
    }

    pmc_long decode(IPmsMessageBuffer* buffer, IPmsPdu* pdu, IPmsSnmpTarget* target,
                    pmc_long translate_type) override {
        IPmsCodecFactory* factory = selected_.load();
        if (factory == nullptr) return PMC_E_NO_CODEC;
        if (buffer == nullptr) return PMC_E_INVALID_ARG;
        // What the decoding makes in place of a missing one ends with it.
        CPmsDecodeObjects into;
        into.pdu = pdu;
        into.target = target;
        return factory->decode(buffer, translate_type, &into);
    }

    pmc_long decode_packet(IPmsMessageBuffer* buffer, IPmsSnmpPacket* packet,
                           pmc_long translate_type) override {
        IPmsCodecFactory* factory = selected_.load();
        if (factory == nullptr) return PMC_E_NO_CODEC;
        if (buffer == nullptr || packet == nullptr) return PMC_E_INVALID_ARG;
        CPmsDecodeObjects into;
        into.pdu = packet->get_pdu();
        into.target = packet->get_target();
        const pmc_long status = factory->decode(buffer, translate_type, &into);
        // The packet keeps what was made for it, also after a refusal.
        if (into.made_target) packet->set_target(into.made_target.release());
        if (into.made_pdu) packet->set_pdu(into.made_pdu.release());
        return status;
    }

    pmc_long peek_response(IPmsMessageBuffer* buffer, pmc_long* error_status,
                           pmc_long* request_id, pmc_long translate_type) override {
        if (error_status == nullptr || request_id == nullptr) return PMC_E_INVALID_ARG;
        CPmsPeekedHeader header;
        const pmc_long status = peek_header(buffer, translate_type, &header);
        if (status == PMC_S_OK) {
            *request_id = header.request_id;
            *error_status = header.error_status;
        }
        return status;
    }

    pmc_long peek_header(IPmsMessageBuffer* buffer, pmc_long translate_type,
                         CPmsPeekedHeader* header) override {
        if (buffer == nullptr || header == nullptr) return PMC_E_INVALID_ARG;
        IPmsCodecFactory* factory = selected_.load();
        if (factory == nullptr) return PMC_E_NO_CODEC;
        return factory->peek(buffer, translate_type, header);
    }

    pmc_long register_factory(IPmsCodecFactory* factory) override {
        if (factory == nullptr) return PMC_E_INVALID_ARG;
        std::lock_guard<std::mutex> guard(lock_);
        const pmc_long status = factories_.add(factory);
        if (status == PMC_S_OK) selected_.store(factory);
        return status;
    }

private:
    // Called with lock_ held.
    IPmsCodecFactory* find(const char* name) {
        pmc_long status = PMC_S_OK;
        IPmcPtrList<IPmsCodecFactory>::iterator it = factories_.create_iterator(&status);
        if (it == nullptr) return nullptr;
        IPmsCodecFactory* found = nullptr;
        for (IPmsCodecFactory* f = factories_.current(it); f != nullptr && found == nullptr;
             factories_.next(it), f = factories_.current(it)) {
            if (std::strcmp(f->name(), name) == 0) found = f;
        }
        factories_.release_iterator(it);
        return found;
    }

    std::mutex lock_;
    CPmcPtrList<IPmsCodecFactory, FactoryPolicy> factories_;
    std::atomic<IPmsCodecFactory*> selected_{nullptr};
};

}  // namespace

IPmsCodecRegistry* codec_registry() {
    // Registering here, on first use, keeps "TransStream" available even
    // when the codec comes from a static library whose objects nothing else
    // references.
    static CPmsCodecRegistry* registry = [] {
        static CPmsCodecRegistry instance;
        instance.register_factory(trans_stream_codec_factory());
        return &instance;
    }();
    return registry;
}
