#include "model/Cp1251.h"

#include <array>
#include <cstdint>

namespace {

// Characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char32_t CharOf(unsigned char b) {
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return 0x0410 + (b - 0xC0);
    return High[b - 0x80];
}

std::optional<unsigned char> ByteOf(char32_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    if (c >= 0x0410 && c <= 0x044F)
        return static_cast<unsigned char>(0xC0 + (c - 0x0410));
    for (std::size_t i = 0; i < High.size(); ++i)
        if (High[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

void AppendUtf8(std::string& Out, char32_t c) {
    if (c < 0x80) {
        Out += static_cast<char>(c);
    } else if (c < 0x800) {
        Out += static_cast<char>(0xC0 | (c >> 6));
        Out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        Out += static_cast<char>(0xE0 | (c >> 12));
        Out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::optional<std::string> Utf8ToCp1251(std::string_view Utf8) {
    std::string Out;
    Out.reserve(Utf8.size());
    std::size_t i = 0;
    while (i < Utf8.size()) {
        const unsigned char b = static_cast<unsigned char>(Utf8[i]);
        char32_t c = 0;
        int More = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            More = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            More = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            More = 3;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(More) >= Utf8.size() && More > 0)
            return std::nullopt;
        for (int k = 1; k <= More; ++k) {
            const unsigned char t = static_cast<unsigned char>(Utf8[i + static_cast<std::size_t>(k)]);
            if ((t & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (t & 0x3F);
        }
        i += static_cast<std::size_t>(More) + 1;
        if ((More == 1 && c < 0x80) || (More == 2 && c < 0x800))
            return std::nullopt; // overlong form
        const auto Byte = ByteOf(c);
        if (!Byte)
            return std::nullopt;
        Out += static_cast<char>(*Byte);
    }
    return Out;
}

std::string Cp1251ToUtf8(std::string_view Bytes) {
    std::string Out;
    Out.reserve(Bytes.size() * 2);
    for (char b : Bytes)
        AppendUtf8(Out, CharOf(static_cast<unsigned char>(b)));
    return Out;
}

bool IsStorableName(std::string_view Utf8) { return Utf8ToCp1251(Utf8).has_value(); }
