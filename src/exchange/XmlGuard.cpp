#include "exchange/XmlGuard.h"

#include <QByteArray>
#include <QStringConverter>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

bool NameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool NameChar(char c) {
    return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string AtLine(long long Line, const std::string& Why) {
    return "строка " + std::to_string(Line) + ": ошибка XML: " + Why;
}

// Why the markup is refused, or nothing: a start tag of more than
// MaxXmlAttributes attributes, or elements nested deeper than MaxXmlDepth.
// Comments, CDATA sections and processing instructions in the root element
// are passed over, so that markup written inside them counts for nothing. A
// start tag runs from '<' and a name to the first '>' outside quotes; it
// ends at any '<' as well, since none can stand inside a tag of a
// well-formed document, so a stray quote cannot hide the tags after it.
std::optional<std::string> MarkupRefusal(std::string_view Text) {
    long long Line = 1;
    int Depth = 0;
    const auto Skip = [&](std::size_t& i, std::string_view End) {
        const std::size_t e = Text.find(End, i);
        const std::size_t Stop = e == std::string_view::npos ? Text.size() : e + End.size();
        Line += std::count(Text.begin() + static_cast<std::ptrdiff_t>(i),
                           Text.begin() + static_cast<std::ptrdiff_t>(Stop), '\n');
        i = Stop - 1;
    };
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\n')
            ++Line;
        if (Text[i] != '<' || i + 1 >= Text.size())
            continue;
        // Only inside the root: before it a DTD's quoted literal may hold
        // "<!--" that opens nothing, and skipping from there would hide the
        // tags after it.
        const std::string_view Rest = Text.substr(i);
        if (Depth > 0 && Rest.starts_with("<!--")) {
            Skip(i, "-->");
            continue;
        }
        if (Depth > 0 && Rest.starts_with("<![CDATA[")) {
            Skip(i, "]]>");
            continue;
        }
        if (Depth > 0 && Rest.starts_with("<?")) {
            Skip(i, "?>");
            continue;
        }
        if (Text[i + 1] == '/') {
            --Depth;
            continue;
        }
        if (!NameStart(Text[i + 1]))
            continue;
        const long long TagLine = Line;
        int Attributes = 0;
        char Quote = 0;
        bool Empty = false; // ends with "/>"
        for (++i; i < Text.size() && Text[i] != '<'; ++i) {
            const char c = Text[i];
            if (c == '\n')
                ++Line;
            if (Quote != 0) {
                if (c == Quote)
                    Quote = 0;
            } else if (c == '"' || c == '\'') {
                Quote = c;
            } else if (c == '=') {
                if (++Attributes > MaxXmlAttributes)
                    return AtLine(TagLine, "у элемента больше " + std::to_string(MaxXmlAttributes) +
                                               " атрибутов");
            } else if (c == '>') {
                Empty = Text[i - 1] == '/';
                break;
            }
        }
        if (!Empty && ++Depth > MaxXmlDepth)
            return AtLine(TagLine,
                          "элементы вложены глубже " + std::to_string(MaxXmlDepth) + " уровней");
        if (i < Text.size() && Text[i] == '<')
            --i; // the next tag begins here
    }
    return std::nullopt;
}

// The name of the next "&name;" in Text from At on, with At moved past it;
// nothing when there is none.
std::optional<std::string_view> NextReference(std::string_view Text, std::size_t& At) {
    for (;;) {
        const std::size_t i = Text.find('&', At);
        if (i == std::string_view::npos) {
            At = Text.size();
            return std::nullopt;
        }
        std::size_t j = i + 1;
        while (j < Text.size() && NameChar(Text[j]))
            ++j;
        At = i + 1;
        if (j < Text.size() && Text[j] == ';' && j > i + 1 && NameStart(Text[i + 1])) {
            At = j + 1;
            return Text.substr(i + 1, j - i - 1);
        }
    }
}

// The text each declared entity expands to, in characters (its value, and
// for every reference in it to a declared entity that entity's text), capped
// just past MaxExpandedText; an entity that refers to itself, however deep,
// counts as past the cap. The walk keeps its own stack, since a chain of
// entities can be as long as the file, and reads each value once.
std::unordered_map<std::string, long long>
ExpandedLengths(const QXmlStreamEntityDeclarations& Declarations) {
    constexpr long long Past = MaxExpandedText + 1;
    std::unordered_map<std::string, std::string> Values;
    for (const QXmlStreamEntityDeclaration& Entity : Declarations)
        Values.try_emplace(Entity.name().toString().toStdString(),
                           Entity.value().toString().toStdString());
    constexpr long long Open = -1; // being counted
    std::unordered_map<std::string, long long> Length;
    struct TFrame {
        const std::string* Name;
        std::size_t At;
        long long Total;
    };
    for (const auto& Root : Values) {
        if (Length.contains(Root.first))
            continue;
        Length[Root.first] = Open;
        std::vector<TFrame> Stack{{&Root.first, 0, static_cast<long long>(Root.second.size())}};
        while (!Stack.empty()) {
            TFrame& Top = Stack.back();
            const std::string& Value = Values.at(*Top.Name);
            const auto Ref = NextReference(Value, Top.At);
            if (!Ref) {
                const long long Total = std::min(Past, Top.Total);
                Length[*Top.Name] = Total;
                Stack.pop_back();
                if (!Stack.empty())
                    Stack.back().Total = std::min(Past, Stack.back().Total + Total);
                continue;
            }
            const auto Declared = Values.find(std::string(*Ref));
            if (Declared == Values.end())
                continue;
            const auto Known = Length.find(Declared->first);
            if (Known == Length.end()) {
                Length[Declared->first] = Open;
                Stack.push_back(
                    {&Declared->first, 0, static_cast<long long>(Declared->second.size())});
            } else {
                Top.Total =
                    std::min(Past, Top.Total + (Known->second == Open ? Past : Known->second));
            }
        }
    }
    return Length;
}

// The entities the document's DTD declares, read by Qt's reader itself,
// which stops at the DTD or else at the first element.
QXmlStreamEntityDeclarations DeclaredEntities(std::string_view Text) {
    QXmlStreamReader Xml(QByteArray::fromRawData(Text.data(), static_cast<qsizetype>(Text.size())));
    while (!Xml.atEnd()) {
        const auto Token = Xml.readNext();
        if (Token == QXmlStreamReader::DTD)
            return Xml.entityDeclarations();
        if (Token == QXmlStreamReader::StartElement || Token == QXmlStreamReader::Invalid)
            break;
    }
    return {};
}

} // namespace

std::optional<std::string> XmlRefusal(std::string_view Bytes) {
    // A document in UTF-16 or UTF-32 is scanned as UTF-8: the markup the
    // scans look for is ASCII, which every other encoding Qt reads keeps.
    const std::string_view Document = Bytes;
    std::string Decoded;
    const QByteArrayView View(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    if (const auto Encoding = QStringConverter::encodingForData(View, u'<');
        Encoding && *Encoding != QStringConverter::Utf8 && *Encoding != QStringConverter::Latin1 &&
        *Encoding != QStringConverter::System) {
        QStringDecoder Decoder(*Encoding);
        Decoded = QString(Decoder(View)).toStdString();
        Bytes = Decoded;
    }
    if (auto Why = MarkupRefusal(Bytes))
        return Why;
    if (Bytes.find("<!ENTITY") == std::string_view::npos)
        return std::nullopt;
    // Qt reads the declarations from the document as it is, in its own
    // encoding.
    const auto Lengths = ExpandedLengths(DeclaredEntities(Document));
    if (Lengths.empty())
        return std::nullopt;
    // References are counted wherever they stand, in comments and in the DTD
    // too: a few more than the reader expands, never fewer.
    long long Total = 0, Line = 1;
    std::size_t At = 0, Counted = 0;
    while (Total <= MaxExpandedText) {
        const auto Ref = NextReference(Bytes, At);
        if (!Ref)
            break;
        Line += std::count(Bytes.begin() + static_cast<std::ptrdiff_t>(Counted),
                           Bytes.begin() + static_cast<std::ptrdiff_t>(At), '\n');
        Counted = At;
        if (const auto Known = Lengths.find(std::string(*Ref)); Known != Lengths.end())
            Total += Known->second;
    }
    if (Total > MaxExpandedText)
        return AtLine(Line, "ссылки на сущности разворачиваются больше чем в " +
                                std::to_string(MaxExpandedText) + " символов");
    return std::nullopt;
}
