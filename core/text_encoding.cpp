#include "core/text_encoding.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

/// Bytes 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

/// Length of the sequence a lead byte starts and the bounds of its second byte
/// (which exclude overlong forms, surrogates and values above U+10FFFF); 0 for
/// a byte that cannot lead.
struct LeadByte {
    int length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
};

LeadByte DescribeLead(unsigned char c)
{
    if (c < 0x80) {
        return {1};
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return {2};
    }
    if (c == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (c == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (c >= 0xE1 && c <= 0xEF) {
        return {3};
    }
    if (c == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (c >= 0xF1 && c <= 0xF3) {
        return {4};
    }
    if (c == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {};
}

}  // namespace

bool IsValidUtf8(std::string_view text, bool cutAtEnd)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const LeadByte lead = DescribeLead(static_cast<unsigned char>(text[i]));
        if (lead.length == 0) {
            return false;
        }
        for (int j = 1; j < lead.length; ++j) {
            if (i + j >= text.size()) {
                return cutAtEnd;
            }
            const auto c = static_cast<unsigned char>(text[i + j]);
            const bool inRange = j == 1 ? (c >= lead.secondLow && c <= lead.secondHigh) : IsContinuation(c);
            if (!inRange) {
                return false;
            }
        }
        i += static_cast<std::size_t>(lead.length);
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        AppendUtf8(out, (c >= 0x80 && c < 0xA0) ? Windows1252High[c - 0x80] : char32_t{c});
    }
    return out;
}

std::string TextAsUtf8(std::string_view text)
{
    return IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? ReplacementCharacter : unit);
    }
    if (i < bytes.size()) {
        AppendUtf8(out, ReplacementCharacter);
    }
    return out;
}

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && IsContinuation(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
    }
    return std::string(text.substr(0, end));
}
