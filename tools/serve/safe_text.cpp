#include "serve/safe_text.h"

namespace pmtool {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed sequence at text[at] (RFC 3629: no
// overlongs, no surrogates, nothing past U+10FFFF), or 0; *code gets it.
std::size_t sequence_at(const std::string& text, std::size_t at, unsigned long* code) {
    const auto octet = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = octet(at);
    std::size_t length = 0;
    unsigned long low = 0;
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, low = 0x80, *code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, low = 0x800, *code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, low = 0x10000, *code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((octet(at + i) & 0xC0) != 0x80) return 0;
        *code = (*code << 6) | (octet(at + i) & 0x3F);
    }
    if (*code < low || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string safe_text(const std::string& text) {
    std::string end = text;
    while (!end.empty() && (end.back() == '\0' || end.back() == ' ')) end.pop_back();
    std::string out;
    out.reserve(end.size());
    for (std::size_t at = 0; at < end.size();) {
        unsigned long code = 0;
        const std::size_t length = sequence_at(end, at, &code);
        if (length == 0) {
            out += kReplacement;
            ++at;
            continue;
        }
        const bool control = code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F);
        out += control ? std::string("?") : end.substr(at, length);
        at += length;
    }
    return out;
}

}  // namespace pmtool
