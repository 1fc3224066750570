#include "codec/trans_stream_codec.h"

#include "codec/message_decoder.h"
#include "codec/message_encoder.h"

namespace {

// A codec of its own for a nested use; apart, so that the usual path does
// not set up room for one.
template <class Codec, class Work>
#if defined(__GNUC__)
__attribute__((noinline))
#endif
pmc_long with_nested_codec(Work& work) {
    Codec nested;
    return work(nested);
}

// Runs work with this thread's codec of kind Codec. Keeping one per thread
// keeps the room it grew for long names and communities (a steady stream
// of messages then allocates nothing) and spares setting one up each time;
// a nested use on the same thread gets a codec of its own.
template <class Codec, class Work>
pmc_long with_thread_codec(Work work) {
#if defined(_WIN32)
    // MinGW's emulated thread storage can be freed before a thread_local's
    // destructor runs at thread exit, which then frees freed memory: a
    // thread that ends after coding corrupted the heap. Each use gets its
    // own codec here.
    Codec codec;
    return work(codec);
#else
    thread_local Codec codec;
    thread_local bool busy = false;
    if (busy) return with_nested_codec<Codec>(work);
    busy = true;
    const pmc_long status = work(codec);
    busy = false;
    return status;
#endif
}

class CPmsTransStreamFactory final : public IPmsCodecFactory {
public:
    const char* name() const override { return PMS_CODEC_TRANS_STREAM; }

    pmc_long encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                    pmc_ulong* encoded_count) override {
        return with_thread_codec<CPmsMessageEncoder>([&](CPmsMessageEncoder& encoder) {
            return encoder.encode(pdu, target, buffer, encoded_count);
        });
    }

    pmc_long decode(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsDecodeObjects* into) override {
        return with_thread_codec<CPmsMessageDecoder>([&](CPmsMessageDecoder& decoder) {
            return decoder.decode(buffer, translate_type, into);
        });
    }

    pmc_long peek(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsPeekedHeader* header) override {
        return with_thread_codec<CPmsMessageDecoder>([&](CPmsMessageDecoder& decoder) {
            return decoder.peek(buffer, translate_type, header);
        });
    }
};

}  // namespace

IPmsCodecFactory* trans_stream_codec_factory() {
    static CPmsTransStreamFactory factory;
    return &factory;
}
