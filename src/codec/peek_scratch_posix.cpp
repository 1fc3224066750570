#include "codec/peek_scratch.h"

CPmsPeekScratch& CPmsPeekScratch::local() {
    thread_local CPmsPeekScratch scratch;
    return scratch;
}
