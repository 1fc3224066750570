// The last few IPv4 address-to-text conversions of this thread. A session
// converts the same addresses on every exchange (the any address it binds,
// the agent it hears from), and the socket library's conversions are pure:
// the same function given the same input answers the same, so the memo keys
// on the function as well and only ever skips a call whose answer it has.
#ifndef PMSNMP_IPV4_TEXT_MEMO_H
#define PMSNMP_IPV4_TEXT_MEMO_H

#include "net/socket_api.h"

#include <cstddef>

class PmcIpv4TextMemo {
public:
    using ToText = char*(PMC_SOCKET_CALL*)(in_addr address);

    // What to_text(address) answers; a null answer is not kept.
    const char* text(ToText to_text, in_addr address);

    // This thread's memo.
    static PmcIpv4TextMemo& local();

    static constexpr std::size_t kEntries = 4;
    static constexpr std::size_t kTextCapacity = 16;  // "255.255.255.255" and NUL

private:
    struct TextEntry {
        ToText function = nullptr;
        in_addr_t address = 0;
        char text[kTextCapacity] = {};
    };
    TextEntry texts_[kEntries];
    std::size_t next_text_ = 0;
};

#endif
