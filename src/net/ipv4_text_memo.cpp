#include "net/ipv4_text_memo.h"

#include <cstring>

const char* PmcIpv4TextMemo::text(ToText to_text, in_addr address) {
    for (const TextEntry& entry : texts_) {
        if (entry.function == to_text && to_text != nullptr && entry.address == address.s_addr) {
            return entry.text;
        }
    }
    const char* text = to_text(address);
    if (text == nullptr) return nullptr;
    const std::size_t length = std::strlen(text);
    if (length >= kTextCapacity) return text;
    TextEntry& entry = texts_[next_text_];
    next_text_ = (next_text_ + 1) % kEntries;
    entry.function = to_text;
    entry.address = address.s_addr;
    std::memcpy(entry.text, text, length + 1);
    return entry.text;
}

PmcIpv4TextMemo& PmcIpv4TextMemo::local() {
    thread_local PmcIpv4TextMemo memo;
    return memo;
}
