#pragma once
// One character of UTF-8 text as the file system gave it.
#include <cstddef>
#include <string_view>

// The length of the valid UTF-8 sequence at s[i], with its code point in cp; 0 when the byte
// there starts none: a stray continuation byte, a cut sequence, an overlong form, a surrogate
// or a value past U+10FFFF. Inline, as the sorted lists decode every name with it.
inline std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < len)
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}
