#pragma once
// Checks made on an XML document's bytes before Qt's reader parses it, for
// the ways a small document could hold that reader for long or make it take
// far more memory than the document: an element with thousands of
// attributes (the reader compares every attribute of an element with every
// other one), elements nested a million deep (the reader keeps about 200
// bytes a level) and entities whose references expand to far more text than
// the document holds (the reader bounds each entity, 4,096 characters by
// default, but not their sum).

#include <optional>
#include <string>
#include <string_view>

// More attributes on one element than any project file has.
inline constexpr int MaxXmlAttributes = 128;
// Deeper than any project file nests its elements.
inline constexpr int MaxXmlDepth = 256;
// The text all references to declared entities may expand to, in characters.
inline constexpr long long MaxExpandedText = 1 << 20;

// Why the document is refused ("строка 3: ошибка XML: ..."), or nothing when
// it may be parsed.
std::optional<std::string> XmlRefusal(std::string_view Bytes);
