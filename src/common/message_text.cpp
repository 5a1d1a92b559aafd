#include "common/message_text.hpp"

#include <cstring>

namespace tidmor {

std::string quote_text(std::string_view text) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string out = "\"";
    const std::size_t shown = text.size() > QUOTE_LENGTH ? QUOTE_LENGTH : text.size();
    for (std::size_t i = 0; i < shown; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\' || byte == '"') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
        } else {
            out += "\\x";
            out += HEX[byte >> 4];
            out += HEX[byte & 0xF];
        }
    }
    out += '"';
    if (shown < text.size()) out += "... (" + std::to_string(text.size()) + " characters)";
    return out;
}

std::string system_reason(int error_number) {
    if (error_number == 0) return "";
    return std::string(": ") + std::strerror(error_number);
}

}  // namespace tidmor
