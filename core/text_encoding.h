#pragma once
// Text read from files made on other systems: UTF-8 checks, Windows-1252 and
// UTF-16 to UTF-8, and cuts that count characters rather than bytes.

#include <cstddef>
#include <string>
#include <string_view>

/// \brief Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points above U+10FFFF). With `cutAtEnd` a sequence that the end of the
/// text cuts short passes too: the text was cut from a longer one.
bool IsValidUtf8(std::string_view text, bool cutAtEnd = false);

/// \brief Each byte of `text` read as a Windows-1252 character, in UTF-8. The
/// five bytes the code page leaves undefined become the control characters of
/// the same number.
std::string Windows1252ToUtf8(std::string_view text);

/// \brief `text` itself when it is valid UTF-8, otherwise read as Windows-1252.
std::string TextAsUtf8(std::string_view text);

/// \brief UTF-16 bytes (without their byte-order mark) in UTF-8; an unpaired
/// surrogate or a last odd byte becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

/// \brief The first `count` characters (code points) of the UTF-8 `text`.
std::string FirstCharacters(std::string_view text, std::size_t count);
