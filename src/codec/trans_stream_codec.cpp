#include "codec/trans_stream_codec.h"

#include <new>

#include "codec/message_decoder.h"
#include "codec/message_encoder.h"

namespace {

// One encoder and one decoder per thread are reused, so that a steady stream
// of requests and answers does not allocate; a nested or concurrent use on
// the same thread gets a fresh object.
template <class Codec>
struct CodecSlot {
    bool in_use = false;
    Codec codec{&in_use};
};

template <class Codec>
Codec* take_codec(CodecSlot<Codec>& slot, pmc_long* status) {
    Codec* codec = nullptr;
    if (!slot.in_use) {
        slot.in_use = true;
        codec = &slot.codec;
    } else {
        codec = new (std::nothrow) Codec();
    }
    if (status != nullptr) *status = codec != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return codec;
}

class CPmsTransStreamFactory final : public IPmsCodecFactory {
public:
    const char* name() const override { return PMS_CODEC_TRANS_STREAM; }
    IPmsMessageEncoder* create_encoder(pmc_long* status) override {
        thread_local CodecSlot<CPmsMessageEncoder> slot;
        return take_codec(slot, status);
    }
    IPmsMessageDecoder* create_decoder(pmc_long* status) override {
        thread_local CodecSlot<CPmsMessageDecoder> slot;
        return take_codec(slot, status);
    }
};

}  // namespace

IPmsCodecFactory* trans_stream_codec_factory() {
    static CPmsTransStreamFactory factory;
    return &factory;
}
