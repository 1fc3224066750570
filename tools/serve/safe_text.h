// Printer text made fit for any output: valid UTF-8 without control
// characters. One function, so that one sanitizer can serve the whole tool.
#ifndef PMSNMP_TOOLS_SERVE_SAFE_TEXT_H
#define PMSNMP_TOOLS_SERVE_SAFE_TEXT_H

#include <string>

namespace pmtool {

// Each octet that does not start a well-formed UTF-8 sequence becomes
// U+FFFD, each control character (C0, DEL, C1) '?'; trailing NULs and
// blanks go.
std::string safe_text(const std::string& text);

}  // namespace pmtool

#endif
