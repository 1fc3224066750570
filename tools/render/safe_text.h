// A printer's texts are untrusted octets: every text the tool prints, as a
// terminal line or as JSON, goes through here first. What comes out is valid
// UTF-8 without characters that drive a terminal or reorder a line.
#ifndef PMSNMP_TOOLS_SAFE_TEXT_H
#define PMSNMP_TOOLS_SAFE_TEXT_H

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace pmtool {

// Stands for every character that may not reach the output.
constexpr char kUnsafeMark = '?';

// The agent's octets as safe UTF-8: valid UTF-8 is read as UTF-8, anything
// else as Latin-1 (the older printers' character set), so "Bl\xe4tter"
// reads "Blätter". C0 and C1 controls, DEL and the bidirectional marks,
// embeddings, overrides and isolates become kUnsafeMark; trailing NULs and
// blanks go.
std::string safe_text(const std::string& octets);

// The columns a safe text takes on a terminal: one per character, two for
// wide East Asian ones.
std::size_t text_width(const std::string& text);

// text cut at a character boundary to at most width columns, ending in
// "..." when something was cut (and width leaves room for it).
std::string cut_text(const std::string& text, std::size_t width);

// text padded with blanks to width columns; a wider one gets one blank.
std::string pad_text(const std::string& text, std::size_t width);

// A JSON document as text. Its strings should come from safe_text; should
// one not, its invalid octets are replaced instead of throwing.
std::string json_text(const nlohmann::json& document, int indent = 2);
std::string json_text(const nlohmann::ordered_json& document, int indent = 2);

}  // namespace pmtool

#endif
