#include "exchange/XmlGuard.h"

#include <QByteArray>
#include <QStringConverter>
#include <QXmlStreamReader>

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

// The line of the first start tag with more than MaxXmlAttributes
// attributes, or 0. A start tag runs from '<' and a name to the first '>'
// outside quotes; it ends at any '<' as well, since none can stand inside a
// tag of a well-formed document, so a stray quote in a comment or in text
// cannot hide the tags after it.
long long CrowdedElement(std::string_view Text) {
    long long Line = 1;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\n')
            ++Line;
        if (Text[i] != '<' || i + 1 >= Text.size() || !NameStart(Text[i + 1]))
            continue;
        const long long TagLine = Line;
        int Attributes = 0;
        char Quote = 0;
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
                    return TagLine;
            } else if (c == '>') {
                break;
            }
        }
        if (i < Text.size() && Text[i] == '<')
            --i; // the next tag begins here
    }
    return 0;
}

// Calls Found(name, line) for every "&name;" in Text.
template <class TFound> void ForEachReference(std::string_view Text, TFound Found) {
    long long Line = 1;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\n')
            ++Line;
        if (Text[i] != '&')
            continue;
        std::size_t j = i + 1;
        while (j < Text.size() && NameChar(Text[j]))
            ++j;
        if (j < Text.size() && Text[j] == ';' && j > i + 1 && NameStart(Text[i + 1]))
            if (!Found(Text.substr(i + 1, j - i - 1), Line))
                return;
    }
}

// The text each declared entity expands to, in characters (its value with
// every reference to a declared entity counted as that entity's text),
// capped just past MaxExpandedText; an entity that refers to itself, however
// deep, counts as past the cap.
std::unordered_map<std::string, long long>
ExpandedLengths(const QXmlStreamEntityDeclarations& Declarations) {
    constexpr long long Past = MaxExpandedText + 1;
    std::unordered_map<std::string, std::string> Values;
    for (const QXmlStreamEntityDeclaration& Entity : Declarations)
        Values.try_emplace(Entity.name().toString().toStdString(),
                           Entity.value().toString().toStdString());
    std::unordered_map<std::string, long long> Length; // -1 while being counted
    // An explicit stack: a chain of entities can be as long as the file.
    for (const auto& Root : Values) {
        std::vector<const std::string*> Stack{&Root.first};
        while (!Stack.empty()) {
            const std::string& Name = *Stack.back();
            const auto [At, Fresh] = Length.try_emplace(Name, -1);
            bool Waits = false;
            long long Total = 0;
            const std::string& Value = Values.at(Name);
            Total = static_cast<long long>(Value.size());
            ForEachReference(Value, [&](std::string_view Ref, long long) {
                const auto Declared = Values.find(std::string(Ref));
                if (Declared == Values.end())
                    return true;
                const auto Known = Length.find(Declared->first);
                if (Known == Length.end()) {
                    Stack.push_back(&Declared->first);
                    Waits = true;
                    return true;
                }
                // A reference back to an entity still being counted: a cycle.
                const long long Part = Known->second < 0 ? Past : Known->second;
                Total = std::min(Past, Total + Part);
                return true;
            });
            if (Waits && Fresh)
                continue;
            At->second = Waits ? Past : Total;
            Stack.pop_back();
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
    std::string Decoded;
    const QByteArrayView View(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    if (const auto Encoding = QStringConverter::encodingForData(View, u'<');
        Encoding && *Encoding != QStringConverter::Utf8 && *Encoding != QStringConverter::Latin1 &&
        *Encoding != QStringConverter::System) {
        QStringDecoder Decoder(*Encoding);
        Decoded = QString(Decoder(View)).toStdString();
        Bytes = Decoded;
    }
    if (const long long Line = CrowdedElement(Bytes))
        return AtLine(Line, "у элемента больше " + std::to_string(MaxXmlAttributes) + " атрибутов");
    if (Bytes.find("<!ENTITY") == std::string_view::npos)
        return std::nullopt;
    const auto Lengths = ExpandedLengths(DeclaredEntities(Bytes));
    if (Lengths.empty())
        return std::nullopt;
    // References are counted wherever they stand, in comments and in the DTD
    // too: a few more than the reader expands, never fewer.
    long long Total = 0, Line = 0;
    ForEachReference(Bytes, [&](std::string_view Ref, long long At) {
        const auto Known = Lengths.find(std::string(Ref));
        if (Known != Lengths.end())
            Total += Known->second;
        Line = At;
        return Total <= MaxExpandedText;
    });
    if (Total > MaxExpandedText)
        return AtLine(Line, "ссылки на сущности разворачиваются больше чем в " +
                                std::to_string(MaxExpandedText) + " символов");
    return std::nullopt;
}
