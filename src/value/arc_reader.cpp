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
    m_text = reinterpret_cast<const char*>(text);
    m_length = length;
    m_arc_count = pms_count_arcs(m_text, m_length);
}

pmc_long PmsArcReader::get(pmc_ulong position, pmc_ulong* arc) {
    if (m_length == 0) return PMC_E_EMPTY_OID;
    if (position >= m_arc_count) return PMC_E_OUT_OF_RANGE;
    if (position < m_next_position) {
        m_next_position = 0;
        m_next_offset = 0;
    }
    const char* const end = m_text + m_length;
    while (m_next_position < position) {
        const void* dot = std::memchr(m_text + m_next_offset, '.', m_length - m_next_offset);
        m_next_offset = static_cast<std::size_t>(static_cast<const char*>(dot) - m_text) + 1;
        ++m_next_position;
    }
    const char* start = m_text + m_next_offset;
    const void* dot = std::memchr(start, '.', static_cast<std::size_t>(end - start));
    const char* arc_end = dot != nullptr ? static_cast<const char*>(dot) : end;
    *arc = pms_scan_atol(start, arc_end);
    if (dot != nullptr) {
        m_next_offset = static_cast<std::size_t>(arc_end - m_text) + 1;
        ++m_next_position;
    }
    return PMC_S_OK;
}
