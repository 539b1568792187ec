// Text from files and folders made fit to show.
#include "assets/text.h"

#include <cstdint>

std::string ShowableText(const std::string& name, char controlStandIn) {
    std::string shown;
    shown.reserve(name.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
    const size_t size = name.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
        bool ok = length > 0 && i + length <= size;
        uint32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        for (size_t k = 1; ok && k < length; ++k) {
            ok = (bytes[i + k] & 0xC0) == 0x80;
            code = code << 6 | (bytes[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
        static const uint32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && code >= Smallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!ok) {
            shown += '?';
            ++i;
        } else if (code < 0x20 || code == 0x7F) {
            shown += controlStandIn;
            i += length;
        } else {
            shown.append(name, i, length);
            i += length;
        }
    }
    return shown;
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return pieces;
        start = end + 1;
    }
}
