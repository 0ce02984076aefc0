#include "exchange/CsvFile.h"

#include "exchange/TaskGraph.h"
#include "model/Cp1251.h"
#include "model/RealText.h"
#include "model/Schedule.h"
#include "model/SchemeFile.h"

#include <QString>

#include <array>
#include <map>
#include <unordered_map>

namespace {

// A spreadsheet takes a cell beginning with one of these for a formula.
bool FormulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// The apostrophe that keeps such a name a text goes before a name that
// begins with an apostrophe and one of them too, so that the reader can take
// one away wherever it stands before them.
bool FormulaGuarded(std::string_view Field) {
    return Field.size() >= 2 && Field[0] == '\'' && (FormulaStart(Field[1]) || Field[1] == '\'');
}

std::string GuardedName(const std::string& Name) {
    if (!Name.empty() && (FormulaStart(Name[0]) || (Name[0] == '\'' && FormulaGuarded(Name))))
        return "'" + Name;
    return Name;
}

constexpr std::string_view Bom = "\xEF\xBB\xBF";

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int More = 0;
        char32_t c = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            More = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            More = 2;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            More = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(More) >= s.size())
            return false;
        for (int k = 1; k <= More; ++k) {
            const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((t & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (t & 0x3F);
        }
        if ((More == 2 && c < 0x800) || (More == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(More) + 1;
    }
    return true;
}

bool IsBreak(char c) {
    return c == '\n' || c == '\r';
}

// The separator that occurs most often outside quotes in the first record.
char FindDelimiter(std::string_view Text) {
    std::array<int, 3> Count{};
    constexpr std::array<char, 3> Candidates{';', '\t', ','};
    bool Quoted = false;
    for (const char c : Text) {
        if (c == '"')
            Quoted = !Quoted;
        else if (!Quoted && IsBreak(c))
            break;
        else if (!Quoted)
            for (std::size_t k = 0; k < Candidates.size(); ++k)
                Count[k] += c == Candidates[k];
    }
    std::size_t Best = 0;
    for (std::size_t k = 1; k < Candidates.size(); ++k)
        if (Count[k] > Count[Best])
            Best = k;
    return Candidates[Best];
}

// The text one record at a time, each field handed on as it is read, so
// that a table takes no more memory than the fields its reader keeps. A
// quote that opens a field closes it at the next single quote; a doubled
// quote inside stands for one.
class TRecordReader {
public:
    enum class TResult { Record, End, OpenQuote, LongRow, LongField };

    TRecordReader(std::string_view AText, char ADelimiter) : Text(AText), Delimiter(ADelimiter) {}
    // Row of the record read last, from 1.
    int Row() const { return Rows; }
    // Calls Field(k, text) for the fields of the next record, k from 0.
    template <class TField> TResult Next(TField Field);

private:
    std::string_view Text;
    char Delimiter;
    std::size_t i = 0;
    int Rows = 0;
    std::string Buffer;
};

template <class TField> TRecordReader::TResult TRecordReader::Next(TField Field) {
    if (i >= Text.size())
        return TResult::End;
    ++Rows;
    const std::size_t Start = i;
    for (std::size_t k = 0;; ++k) {
        Buffer.clear();
        if (i < Text.size() && Text[i] == '"') {
            ++i;
            for (;;) {
                if (i >= Text.size())
                    return TResult::OpenQuote;
                if (Text[i] == '"') {
                    if (i + 1 < Text.size() && Text[i + 1] == '"') {
                        Buffer += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                Buffer += Text[i++];
                if (Buffer.size() > MaxCsvField)
                    return TResult::LongField;
            }
        }
        const std::size_t Plain = i;
        while (i < Text.size() && Text[i] != Delimiter && !IsBreak(Text[i]))
            ++i;
        if (i - Plain + Buffer.size() > MaxCsvField)
            return TResult::LongField;
        if (i - Start > MaxCsvRow)
            return TResult::LongRow;
        Buffer.append(Text.substr(Plain, i - Plain));
        Field(k, std::string_view(Buffer));
        if (i < Text.size() && Text[i] == Delimiter) {
            ++i;
            continue;
        }
        if (i < Text.size() && Text[i] == '\r') {
            ++i;
            if (i < Text.size() && Text[i] == '\n')
                ++i;
        } else if (i < Text.size() && Text[i] == '\n') {
            ++i;
        }
        return TResult::Record;
    }
}

std::string Trimmed(std::string_view s) {
    const auto Blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && Blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

enum class TColumn { Name, Duration, Predecessors, Other };

TColumn ColumnOf(std::string_view Caption) {
    // No caption sought is longer; a header of a million fields stays fast.
    if (Caption.size() > 64)
        return TColumn::Other;
    const QString c = QString::fromStdString(Trimmed(Caption)).toLower();
    if (c == QStringLiteral("наименование") || c == QLatin1String("name"))
        return TColumn::Name;
    if (c == QStringLiteral("длительность") || c == QLatin1String("duration"))
        return TColumn::Duration;
    if (c == QStringLiteral("предшественники") || c == QLatin1String("predecessors"))
        return TColumn::Predecessors;
    return TColumn::Other;
}

class TCsvReader {
public:
    TCsvReader(std::string_view ASource) : Source(ASource) {}
    std::optional<TPlan> Read(std::string_view Bytes, std::string& Error);

private:
    std::string Source;
    std::string Error;
    int NameAt = -1, DurationAt = -1, PredecessorsAt = -1;
    // The captions of those columns.
    std::map<int, std::string> Captions;

    struct TRow {
        int Row = 0;
        std::string Name;
        TReal Duration = 0;
        std::string Predecessors;
    };
    std::vector<TRow> Rows;
    // Work of each name; -1 for a name that several works share.
    std::unordered_map<std::string, int> ByName;

    bool Fail(int Row, int Column, const std::string& Why) {
        Error = Source + ": строка " + std::to_string(Row);
        if (Column >= 0)
            Error += ", столбец «" + Trimmed(Captions[Column]) + "»";
        Error += ": " + Why;
        return false;
    }
    bool ReadHeader(TRecordReader& Records);
    bool ReadRows(TRecordReader& Records, TTaskGraph& Graph);
    // The refusal of a record the reader could not take.
    bool Refuse(TRecordReader::TResult Result, int Row);
    bool Predecessors(const TRow& Row, std::vector<int>& Before);
    bool Numbers(const TRow& Row, const std::string& List, std::vector<int>& Before);
    bool Predecessor(const TRow& Row, const std::string& Part, std::vector<int>& Before);
};

bool TCsvReader::Refuse(TRecordReader::TResult Result, int Row) {
    Error = Source + ": строка " + std::to_string(Row) + ": ";
    switch (Result) {
    case TRecordReader::TResult::OpenQuote:
        Error += "кавычка не закрыта";
        break;
    case TRecordReader::TResult::LongRow:
        Error += "строка длиннее " + std::to_string(MaxCsvRow) + " байт";
        break;
    case TRecordReader::TResult::LongField:
        Error += "поле длиннее " + std::to_string(MaxCsvField) + " байт";
        break;
    case TRecordReader::TResult::End:
        Error = Source + ": файл пуст";
        break;
    case TRecordReader::TResult::Record:
        break;
    }
    return false;
}

bool TCsvReader::ReadHeader(TRecordReader& Records) {
    const auto Result = Records.Next([&](std::size_t k, std::string_view Caption) {
        int* At = nullptr;
        switch (ColumnOf(Caption)) {
        case TColumn::Name:
            At = &NameAt;
            break;
        case TColumn::Duration:
            At = &DurationAt;
            break;
        case TColumn::Predecessors:
            At = &PredecessorsAt;
            break;
        case TColumn::Other:
            break;
        }
        if (At && *At < 0) {
            *At = static_cast<int>(k);
            Captions[*At] = Caption;
        }
    });
    if (Result != TRecordReader::TResult::Record)
        return Refuse(Result, Records.Row());
    if (NameAt < 0 || DurationAt < 0) {
        Error = Source + ": в первой строке нет заголовка столбца «" +
                (NameAt < 0 ? "Наименование" : "Длительность") + "» (или «" +
                (NameAt < 0 ? "Name" : "Duration") + "»)";
        return false;
    }
    return true;
}

// The works row by row. Past the largest plan the rows are only counted, so
// that the refusal can say how many there are.
bool TCsvReader::ReadRows(TRecordReader& Records, TTaskGraph& Graph) {
    long long Named = 0;
    for (;;) {
        TRow Work;
        std::string Duration;
        bool Blank = true;
        const auto Result = Records.Next([&](std::size_t k, std::string_view Field) {
            const auto At = static_cast<int>(k);
            if (At == NameAt)
                Work.Name = Field.substr(FormulaGuarded(Field) ? 1 : 0);
            if (At == DurationAt)
                Duration = Trimmed(Field);
            if (At == PredecessorsAt)
                Work.Predecessors = Field;
            Blank = Blank && Trimmed(Field).empty();
        });
        if (Result == TRecordReader::TResult::End)
            break;
        if (Result != TRecordReader::TResult::Record)
            return Refuse(Result, Records.Row());
        Work.Row = Records.Row();
        if (Work.Name.empty()) {
            if (!Blank)
                Graph.Warn("строка " + std::to_string(Work.Row) + " без наименования пропущена");
            continue;
        }
        if (++Named > MaxWorks)
            continue;
        const std::optional<TReal> Value =
            ParseReal(Duration, Duration.find(',') != std::string::npos ? ',' : '.');
        if (!Value || !DurationAllowed(*Value))
            return Fail(Work.Row, DurationAt,
                        "«" + Duration + "» — не положительное число (или больше " +
                            FormatReal(MaxDuration) + ")");
        Work.Duration = *Value;
        const auto [At, Fresh] = ByName.emplace(Work.Name, static_cast<int>(Rows.size()));
        if (!Fresh)
            At->second = -1;
        Rows.push_back(std::move(Work));
    }
    if (Named > MaxWorks) {
        Error = Source + ": " + TTaskGraph::TooManyWorks(Named);
        return false;
    }
    return true;
}

// Text of digits and the separators of a list of numbers only.
bool IsNumberList(std::string_view Text) {
    return Text.find_first_not_of("0123456789 \t,;") == std::string_view::npos;
}

bool TCsvReader::Numbers(const TRow& Row, const std::string& List, std::vector<int>& Before) {
    std::size_t i = 0;
    while (i < List.size()) {
        if (List[i] < '0' || List[i] > '9') {
            ++i;
            continue;
        }
        std::size_t j = i;
        long long Number = 0;
        while (j < List.size() && List[j] >= '0' && List[j] <= '9') {
            Number = std::min<long long>(Number * 10 + (List[j] - '0'), 1'000'000'000'000LL);
            ++j;
        }
        if (Number < 1 || Number > static_cast<long long>(Rows.size()))
            return Fail(Row.Row, PredecessorsAt,
                        "работы с номером " + List.substr(i, j - i) + " нет (работ " +
                            std::to_string(Rows.size()) + ")");
        Before.push_back(static_cast<int>(Number - 1));
        i = j;
    }
    return true;
}

bool TCsvReader::Predecessor(const TRow& Row, const std::string& Part, std::vector<int>& Before) {
    if (Part.empty())
        return true;
    if (IsNumberList(Part))
        return Numbers(Row, Part, Before);
    const auto Found = ByName.find(Part);
    if (Found == ByName.end())
        return Fail(Row.Row, PredecessorsAt, "«" + Part + "» — не номер работы и не имя работы");
    if (Found->second < 0)
        return Fail(Row.Row, PredecessorsAt, "имя «" + Part + "» носят несколько работ");
    Before.push_back(Found->second);
    return true;
}

// Numbers come first: a cell of numbers is read as numbers even where a work
// is named by one of them. Then the cell as one name, then its parts between
// ',' and ';', each a name or numbers.
bool TCsvReader::Predecessors(const TRow& Row, std::vector<int>& Before) {
    const std::string Cell = Trimmed(Row.Predecessors);
    if (Cell.empty())
        return true;
    if (IsNumberList(Cell))
        return Numbers(Row, Cell, Before);
    if (ByName.contains(Row.Predecessors) || ByName.contains(Cell))
        return Predecessor(Row, ByName.contains(Row.Predecessors) ? Row.Predecessors : Cell,
                           Before);
    std::size_t Start = 0;
    for (std::size_t i = 0; i <= Cell.size(); ++i)
        if (i == Cell.size() || Cell[i] == ',' || Cell[i] == ';') {
            if (!Predecessor(Row, Trimmed(std::string_view(Cell).substr(Start, i - Start)), Before))
                return false;
            Start = i + 1;
        }
    return true;
}

std::optional<TPlan> TCsvReader::Read(std::string_view Bytes, std::string& OutError) {
    std::string Converted;
    std::string_view Text = Bytes;
    if (Bytes.starts_with(Bom)) {
        Text.remove_prefix(Bom.size());
        if (!IsUtf8(Text)) {
            OutError = Source + ": файл помечен как UTF-8, но содержит байты не UTF-8";
            return std::nullopt;
        }
    } else if (!IsUtf8(Bytes)) {
        Converted = Cp1251ToUtf8(Bytes);
        Text = Converted;
    }
    TRecordReader Records(Text, FindDelimiter(Text));
    TTaskGraph Graph;
    if (!ReadHeader(Records) || !ReadRows(Records, Graph)) {
        OutError = Error;
        return std::nullopt;
    }
    for (const TRow& Work : Rows)
        Graph.AddWork(Work.Name, Work.Duration,
                      "строка " + std::to_string(Work.Row) + " («" + Work.Name + "»)");
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        std::vector<int> Before;
        if (!Predecessors(Rows[i], Before)) {
            OutError = Error;
            return std::nullopt;
        }
        for (int j : Before)
            Graph.AddLink(j, static_cast<int>(i));
    }
    return Graph.Build(Source, OutError);
}

// A field as a spreadsheet reads it back: quoted when it holds the
// separator, a quote or a line break.
std::string Field(const std::string& Value) {
    if (Value.find_first_of(";\"\r\n") == std::string::npos)
        return Value;
    std::string Quoted = "\"";
    for (const char c : Value) {
        if (c == '"')
            Quoted += '"';
        Quoted += c;
    }
    return Quoted + '"';
}

} // namespace

std::optional<TPlan> ReadCsv(std::string_view Bytes, std::string_view Source, std::string& Error) {
    TCsvReader Reader(Source);
    return Reader.Read(Bytes, Error);
}

std::string WriteCsv(const TWorkList& List) {
    std::string Out(Bom);
    // The schedule's captions are the works-arcs window's.
    Out += "№;Наименование;Длительность;Предшественники;Раннее начало;Раннее окончание;"
           "Позднее начало;Позднее окончание;Полный резерв;Свободный резерв;Критическая\r\n";
    const TSchedule Schedule = ComputeSchedule(List);
    const auto Number = [](TReal Value) { return FormatReal(Value, ','); };
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& Work = List.GetWork(i);
        std::string Before;
        for (int j = 0; j < List.Count() && static_cast<std::size_t>(j) < Work.Links.size(); ++j) {
            const auto Cell = Work.Links[static_cast<std::size_t>(j)];
            if (Cell == LinkDirect || Cell == LinkRedundant)
                Before += (Before.empty() ? "" : "; ") + std::to_string(j + 1);
        }
        Out += std::to_string(i + 1) + ';' + Field(GuardedName(Work.Name)) + ';' +
               Number(Work.Duration) + ';' + Field(Before);
        if (Schedule.Valid) {
            const TWorkTimes& T = Schedule.Works[static_cast<std::size_t>(i)];
            for (const TReal Value : {T.EarlyStart, T.EarlyFinish, T.LateStart, T.LateFinish,
                                      T.TotalFloat, T.FreeFloat})
                Out += ';' + Number(Value);
            Out += T.Critical ? ";да" : ";нет";
        } else {
            Out += ";;;;;;;";
        }
        Out += "\r\n";
    }
    return Out;
}
