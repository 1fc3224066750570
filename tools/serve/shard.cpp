#include "serve/shard.h"

#include <openssl/evp.h>

#include <regex>

namespace pmtool {

bool parse_shard(const std::string& text, Shard* out, std::string* error) {
    static const std::regex form("([0-9]{1,9})/([0-9]{1,9})");
    std::smatch match;
    if (std::regex_match(text, match, form)) {
        out->index = std::stoull(match[1]);
        out->count = std::stoull(match[2]);
        if (out->count > 0 && out->index < out->count) return true;
    }
    *error = "--shard " + text + ": expected K/N with 0 <= K < N";
    return false;
}

std::uint64_t hashmod(const std::string& value, std::uint64_t modulus) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(value.data(), value.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16) return 0;
    std::uint64_t tail = 0;
    for (unsigned int i = 8; i < 16; ++i) tail = (tail << 8) | digest[i];
    return tail % (modulus == 0 ? 1 : modulus);
}

}  // namespace pmtool
