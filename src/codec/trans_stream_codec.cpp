#include "codec/trans_stream_codec.h"

#include "codec/message_decoder.h"
#include "codec/message_encoder.h"

namespace {

// Encoders and decoders hold no state between messages: each operation
// uses one on the stack, which neither allocates nor needs a lock.
class CPmsTransStreamFactory final : public IPmsCodecFactory {
public:
    const char* name() const override { return PMS_CODEC_TRANS_STREAM; }

    pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                    pmc_ulong* encoded_count) override {
        CPmsMessageEncoder encoder;
        return encoder.encode(pdu, target, buffer, encoded_count);
    }

    pmc_long decode(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsDecodeObjects* into) override {
        CPmsMessageDecoder decoder;
        return decoder.decode(buffer, translate_type, into);
    }

    pmc_long peek(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsPeekedHeader* header) override {
        CPmsMessageDecoder decoder;
        return decoder.peek(buffer, translate_type, header);
    }
};

}  // namespace

IPmsCodecFactory* trans_stream_codec_factory() {
    static CPmsTransStreamFactory factory;
    return &factory;
}
