#pragma once
// The catalogue of every text the program shows besides captions. Texts are
// UTF-8 in memory; a line break inside a text is a lone carriage return.

#include <span>
#include <string_view>

namespace Msg {

// Notices, file errors and questions.
inline constexpr std::string_view EmptyWorkName = "Имя работы не может быть пустым";
inline constexpr std::string_view BadDuration =
    "Время работы должно быть положительным вещественным числом";
inline constexpr std::string_view NamesNotUnique = "Имена работ должны быть уникальными";
inline constexpr std::string_view WriteError = "Ошибка при записи в файл";
inline constexpr std::string_view NoMemoryToSave = "Для сохранения файла не хватило памяти";
inline constexpr std::string_view ReadError = "Ошибка при чтении файла";
inline constexpr std::string_view NoMemoryToRead = "Для чтения файла не хватило памяти";
inline constexpr std::string_view CountMismatch =
    "Произошла ощибка при чтении файла: количество считанных данных не равно количеству "
    "заявленных";
inline constexpr std::string_view Contour =
    "В графе присутствуют контуры\rВозможно, поврежён файл или произошла аппаратная ошибка";

// Internal faults.
inline constexpr std::string_view RenumberIncomplete =
    "Множество замен номеров для графа не полно (в исходном графе встретился неизвестный номер)";
inline constexpr std::string_view TransposeRowMissing =
    "При транспонировании (TGraph.Transpose) не найдена нужная строка";
inline constexpr std::string_view NotASet =
    "Один из сравниваемых элементов не является множеством (CompareSubset)";
inline constexpr std::string_view PiANotFound =
    "Множество PiA не найдено по дескриптору из корня hPiA  (создание вершин W в процедуре "
    "TCircuitForm.GetCircuit)";
inline constexpr std::string_view NodeNotFound =
    "Не найден узел в фукции protected TMemoryLinkObject.Get (провал FindNodeOnHandle)";
inline constexpr std::string_view RootNotFound = "Не найден корень hAll (TCircuitForm.GethALL)";
inline constexpr std::string_view TopSortFailed =
    "Топологическая сортировка графа произведена неправильно (TCircuitForm.TopSort: CheckCount "
    "не правилен)";
inline constexpr std::string_view WorkNotInPiA =
    "В множестве длительных (реальных) работ вершины PiA не найдена работа (procedure WaCreate)";
inline constexpr std::string_view NoArcWeight =
    "Не найдена отметка о длительности работы (procedure "
    "TCircuitForm.FoundCriticalPath::function GetWeigth)";
inline constexpr std::string_view UnreachedVertex =
    "Обнаружена необработанная вершина (Duration = INF) [procedure "
    "TCircuitForm.FoundCriticalPath::procedure SetCriticalPath(h: integer)]";
inline constexpr std::string_view NoOutArcDuration =
    "Не найдена информация о длительности выходящей работы (GlueingOutFictive)";
inline constexpr std::string_view PiARealInArc =
    "Обнаружена дуга исходящая из вершины множества Pi, но не являющаяся фиктивной дугой "
    "(uCircuitForm proceudre GlueingInFictive)";
inline constexpr std::string_view PiAFictiveOut =
    "Обнаружена фиктивная дуга, выходящая из вершины множества Pi (uCircuitForm proceudre "
    "GlueingInFictive)";
inline constexpr std::string_view NoInArcDuration =
    "Не найдена информация о длительности входящей работы (GlueingOutFictive)";

// Notices of the main window.
inline constexpr std::string_view NoWorksForTable =
    "Таблица зависимостей работ недоступна, так как не определена ни одна работа";
inline constexpr std::string_view NoWorksForDiagram =
    "График не доступен, так как не определена ни одна работа";
inline constexpr std::string_view NothingToSave =
    "Нельзя сохранить то, чего нет\rОбъявите сначала хотя бы одну работу";

// Labels and questions.
inline constexpr std::string_view UnknownWork = "-- ?? --";
inline constexpr std::string_view SaveBeforeNew = "Сохранить текущую схему перед созданием новой?";
inline constexpr std::string_view SaveBeforeExit = "Сохранить текущую схему перед выходом?";
inline constexpr std::string_view FinishedEarlier = "-- Исполнены ранее --";
inline constexpr std::string_view NoWorksStart = "-- НЕТ РАБОТ (начальное состояние) --";
inline constexpr std::string_view PathTime = "-- Время КП: ";

// Added for names that the scheme file's 8-bit code page cannot hold.
inline constexpr std::string_view NameNotStorable =
    "Имя работы содержит символы, которые нельзя сохранить в файле схемы";

// Added for plans imported from other programs' files.
inline constexpr std::string_view ImportChanges = "При импорте изменено:";

// Added for files of more works than a scheme takes; the count and the limit
// follow it.
inline constexpr std::string_view TooManyWorks =
    "В файле больше работ, чем может принять программа";
// Added for the project calendar and the data a scheme file carries after
// the works.
inline constexpr std::string_view CalendarNoWorkingDay =
    "В календаре проекта нет ни одного рабочего дня";
inline constexpr std::string_view CalendarDateOutOfRange =
    "Даты календаря проекта должны лежать в 1900–2999 годах";
inline constexpr std::string_view CalendarTooManyExceptions =
    "В календаре проекта слишком много исключений (не более 10000)";
inline constexpr std::string_view CalendarBadHours =
    "Рабочие часы дня в календаре проекта заданы неверно";
inline constexpr std::string_view CalendarBadDayLength =
    "Рабочий день календаря проекта должен длиться от 1 до 1440 минут";
inline constexpr std::string_view CalendarBadStartTime =
    "Время начала проекта должно лежать в пределах суток";
inline constexpr std::string_view CalendarExceptionClash =
    "Дата не может быть в календаре проекта и выходной, и рабочей";
inline constexpr std::string_view ExtensionDamaged =
    "Ошибка при чтении файла: дополнительные данные схемы повреждены";
inline constexpr std::string_view ExtensionTooNew =
    "Файл схемы записан более новой версией программы: в нём есть данные, которые эта версия "
    "не понимает";
// The question before another scheme is loaded or imported in place of this one.
inline constexpr std::string_view SaveBeforeLoad =
    "Сохранить текущую схему перед загрузкой другой?";
// A new work past the largest scheme a file can hold; the limit follows it.
inline constexpr std::string_view WorkLimitReached = "Схема не может содержать больше работ";

// Every text above in declaration order, for tests and tools that list them.
std::span<const std::string_view> All();

} // namespace Msg
