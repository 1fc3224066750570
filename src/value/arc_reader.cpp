#include "value/arc_reader.h"

#include <cstring>

#include "value/text_scan.h"

pmc_ulong pms_count_arcs(const char* text, std::size_t length) {
    if (length == 0) return 0;
    pmc_ulong count = 1;
    const char* end = text + length;
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '.', static_cast<std::size_t>(end - p)))) != nullptr; ++p) {
        ++count;
    }
    return count;
}

PmsArcReader::PmsArcReader(const IPmsOid& source) {
    pmc_ulong length = 0;
    const unsigned char* text = source.get_bytes(&length, nullptr);
    if (text == nullptr) length = 0;
    text_ = reinterpret_cast<const char*>(text);
    length_ = length;
    arc_count_ = pms_count_arcs(text_, length_);
}

pmc_long PmsArcReader::get(pmc_ulong position, pmc_ulong* arc) {
    if (length_ == 0) return PMC_E_EMPTY_OID;
    if (position >= arc_count_) return PMC_E_OUT_OF_RANGE;
    if (position < next_position_) {
        next_position_ = 0;
        next_offset_ = 0;
    }
    const char* const end = text_ + length_;
    while (next_position_ < position) {
        const void* dot = std::memchr(text_ + next_offset_, '.', length_ - next_offset_);
        next_offset_ = static_cast<std::size_t>(static_cast<const char*>(dot) - text_) + 1;
        ++next_position_;
    }
    const char* start = text_ + next_offset_;
    const void* dot = std::memchr(start, '.', static_cast<std::size_t>(end - start));
    const char* arc_end = dot != nullptr ? static_cast<const char*>(dot) : end;
    *arc = pms_scan_atol(start, arc_end);
    if (dot != nullptr) {
        next_offset_ = static_cast<std::size_t>(arc_end - text_) + 1;
        ++next_position_;
    }
    return PMC_S_OK;
}
