#include "render/safe_text.h"

#include <optional>
#include <vector>

namespace pmtool {

namespace {

using CodePoints = std::vector<char32_t>;

// The length of the sequence a lead octet starts, 0 for no lead octet.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) return 2;
    if (lead >= 0xe0 && lead <= 0xef) return 3;
    if (lead >= 0xf0 && lead <= 0xf4) return 4;
    return 0;
}

// Strict UTF-8 (no overlong forms, surrogates or values above U+10FFFF);
// nothing when the octets are not.
std::optional<CodePoints> utf8_code_points(const std::string& octets) {
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    CodePoints points;
    for (std::size_t i = 0; i < octets.size();) {
        const std::size_t length = sequence_length(static_cast<unsigned char>(octets[i]));
        if (length == 0 || i + length > octets.size()) return std::nullopt;
        char32_t point = length == 1 ? static_cast<unsigned char>(octets[i])
                                     : static_cast<unsigned char>(octets[i]) & (0x7fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(octets[i + k]);
            if ((next & 0xc0) != 0x80) return std::nullopt;
            point = (point << 6) | (next & 0x3fu);
        }
        if (point < kSmallest[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
            return std::nullopt;
        points.push_back(point);
        i += length;
    }
    return points;
}

CodePoints code_points(const std::string& octets) {
    if (std::optional<CodePoints> points = utf8_code_points(octets)) return std::move(*points);
    CodePoints latin1;
    for (const char c : octets) latin1.push_back(static_cast<unsigned char>(c));
    return latin1;
}

// Controls, and what reorders or breaks a line (bidirectional formatting,
// line and paragraph separators): a terminal acts on them.
bool is_unsafe(char32_t point) {
    return point < 0x20 || (point >= 0x7f && point <= 0x9f) || point == 0x061c || point == 0x200e ||
           point == 0x200f || (point >= 0x2028 && point <= 0x202e) || (point >= 0x2066 && point <= 0x2069);
}

bool is_wide(char32_t point) {
    return (point >= 0x1100 && point <= 0x115f) || (point >= 0x2e80 && point <= 0xa4cf && point != 0x303f) ||
           (point >= 0xac00 && point <= 0xd7a3) || (point >= 0xf900 && point <= 0xfaff) ||
           (point >= 0xfe30 && point <= 0xfe4f) || (point >= 0xff00 && point <= 0xff60) ||
           (point >= 0xffe0 && point <= 0xffe6) || (point >= 0x1f300 && point <= 0x1faff) ||
           (point >= 0x20000 && point <= 0x3fffd);
}

void append_utf8(char32_t point, std::string* out) {
    if (point < 0x80) {
        *out += static_cast<char>(point);
    } else if (point < 0x800) {
        *out += static_cast<char>(0xc0 | (point >> 6));
        *out += static_cast<char>(0x80 | (point & 0x3f));
    } else if (point < 0x10000) {
        *out += static_cast<char>(0xe0 | (point >> 12));
        *out += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
        *out += static_cast<char>(0x80 | (point & 0x3f));
    } else {
        *out += static_cast<char>(0xf0 | (point >> 18));
        *out += static_cast<char>(0x80 | ((point >> 12) & 0x3f));
        *out += static_cast<char>(0x80 | ((point >> 6) & 0x3f));
        *out += static_cast<char>(0x80 | (point & 0x3f));
    }
}

std::size_t width_of(char32_t point) { return is_wide(point) ? 2 : 1; }

}  // namespace

std::string safe_text(const std::string& octets) {
    std::size_t end = octets.size();
    while (end > 0 && (octets[end - 1] == '\0' || octets[end - 1] == ' ')) --end;
    std::string out;
    for (const char32_t point : code_points(octets.substr(0, end)))
        append_utf8(is_unsafe(point) ? static_cast<char32_t>(kUnsafeMark) : point, &out);
    return out;
}

std::size_t text_width(const std::string& text) {
    std::size_t width = 0;
    for (const char32_t point : code_points(text)) width += width_of(point);
    return width;
}

std::string cut_text(const std::string& text, std::size_t width) {
    if (text_width(text) <= width) return text;
    static const std::string kMore = "...";
    const std::size_t room = width > kMore.size() ? width - kMore.size() : width;
    std::string out;
    std::size_t used = 0;
    for (const char32_t point : code_points(text)) {
        if (used + width_of(point) > room) break;
        used += width_of(point);
        append_utf8(point, &out);
    }
    return room < width ? out + kMore : out;
}

std::string pad_text(const std::string& text, std::size_t width) {
    const std::size_t used = text_width(text);
    return text + std::string(used >= width ? 1 : width - used, ' ');
}

std::string json_text(const nlohmann::json& document, int indent) {
    return document.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string json_text(const nlohmann::ordered_json& document, int indent) {
    return document.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace pmtool
