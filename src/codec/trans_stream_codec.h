// The BER codec's factory, registered as "TransStream".
#ifndef PMSNMP_CODEC_TRANS_STREAM_CODEC_H
#define PMSNMP_CODEC_TRANS_STREAM_CODEC_H

#include "codec/codec_registry.h"

// The factory object; it lives as long as the library.
IPmsCodecFactory* trans_stream_codec_factory();

#endif
