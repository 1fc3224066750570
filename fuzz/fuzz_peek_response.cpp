// Peeking at any datagram's header gives 0 or a clean negative status.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <pmsnmp/owned.h>

#include "codec/codec_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<unsigned char> datagram(data, data + size);
    pmc::Owned<IPmsMessageBuffer> buffer(create_message_buffer(nullptr));
    if (!buffer) std::abort();
    buffer->attach(const_cast<unsigned char*>(datagram.data()), static_cast<pmc_ulong>(size),
                   PMS_BUFFER_BORROWED);
    pmc_long error_status = -1;
    pmc_long request_id = -1;
    const pmc_long status =
        codec_registry()->peek_response(buffer.get(), &error_status, &request_id, 0);
    if (status > 0) std::abort();
    if (status == PMC_S_OK && (error_status < 0 || error_status > PMS_ERR_LAST)) std::abort();
    return 0;
}
