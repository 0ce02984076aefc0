#pragma once
// Names are UTF-8 in memory and code page 1251 in the scheme file. The
// conversion is a table of this program's own, so that the user's locale never
// decides what a name becomes.

#include <optional>
#include <string>
#include <string_view>

// The bytes of Utf8 in code page 1251, or nothing when a character has no
// place there (or Utf8 is not valid UTF-8).
std::optional<std::string> Utf8ToCp1251(std::string_view Utf8);
// Every byte maps to one character. The byte 0x98, which the code page leaves
// undefined, becomes U+0098 and is written back as 0x98, so a name read from a
// file is always saved again as it was.
std::string Cp1251ToUtf8(std::string_view Bytes);
// Whether a name typed by the user can be written to a scheme file.
bool IsStorableName(std::string_view Utf8);
