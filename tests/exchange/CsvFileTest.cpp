// Tables of works as spreadsheets save them.

#include "ExchangeTestSupport.h"

#include "exchange/CsvFile.h"
#include "model/SchemeFile.h"

namespace {

TEST(Csv, ACodePage1251TableComesInWithQuotesLineBreaksAndDecimalCommas) {
    std::string Error;
    const auto Plan = ReadCsv(SampleBytes("works-cp1251.csv"), "works.csv", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Describe(*Plan),
              (std::vector<std::string>{"Котлован 2.5 <-", "Фундамент; ленточный 1 <- 1",
                                        "Стены \"под ключ\" 0.75 <- 1 2",
                                        "Кровля\r\nи водосток 3 <- 2", "Сдача 0.5 <- 3 4"}));
    EXPECT_TRUE(Plan->Warnings.empty());
}

TEST(Csv, AUtf8TableWithCommasFindsItsColumnsAndNamesInEnglish) {
    std::string Error;
    const auto Plan = ReadCsv(SampleBytes("works-utf8.csv"), "works.csv", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Describe(*Plan), (std::vector<std::string>{"Dig, then pour 1.25 <-", "Frame 2 <- 1",
                                                         "Roof 0.5 <- 2"}));
}

TEST(Csv, RepeatedNamesAreMadeUniqueAndRowsWithoutANameWarnedOf) {
    std::string Error;
    const auto Plan = ReadCsv("Name;Duration\nA;1\nA;2\n;3\n", "w.csv", Error);
    ASSERT_TRUE(Plan) << Error;
    EXPECT_EQ(Describe(*Plan), (std::vector<std::string>{"A 1 <-", "A (2) 2 <-"}));
    ASSERT_EQ(Plan->Warnings.size(), 2u);
    EXPECT_EQ(Plan->Warnings[0], "строка 4 без наименования пропущена");
    EXPECT_EQ(Plan->Warnings[1], "строка 3 («A»): имя уже занято, работа названа «A (2)»");
}

TEST(Csv, DamagedTablesAreRefusedNamingTheRowAndTheField) {
    const struct {
        std::string Bytes;
        std::string Why;
    } Cases[] = {
        {"", "файл пуст"},
        {"Работа;Время\nA;1\n", "нет заголовка столбца «Наименование»"},
        {"Наименование;Длительность\nA;1\nB;abc\n", "строка 3, столбец «Длительность»: «abc»"},
        {"Наименование;Длительность\nA;0\n", "строка 2, столбец «Длительность»: «0»"},
        {"Наименование;Длительность\nA;1,5.2\n", "«1,5.2»"},
        {"Наименование;Длительность;Предшественники\nA;1;3\nB;1;\n",
         "строка 2, столбец «Предшественники»: работы с номером 3 нет (работ 2)"},
        {"Наименование;Длительность;Предшественники\nA;1;Б\n", "«Б» — не номер работы"},
        {"Наименование;Длительность;Предшественники\nA;1;2\nB;1;A\n",
         "контур: строка 2 («A») и строка 3 («B»)"},
        {"Наименование;Длительность;Предшественники\nA;1;1\n",
         "строка 2 («A») ждёт окончания самой себя"},
        {"Наименование;Длительность;Предшественники\nA;1;\nA;1;\nB;1;A\n",
         "имя «A» носят несколько работ"},
        {"Наименование;Длительность\n\"A;1\n", "строка 2: кавычка не закрыта"},
        {"\xEF\xBB\xBFName;Duration\n\xC0;1\n", "не UTF-8"},
        {"Name;Duration\nZ\xE2\x82\xAC\xE2\x98\x83;1\n", "строка 2 («Z€☃»): Имя работы содержит"},
    };
    for (const auto& Case : Cases) {
        const std::string Error = Refusal(ReadCsv, Case.Bytes);
        EXPECT_NE(Error.find(Case.Why), std::string::npos) << Error;
    }
}

TEST(Csv, OversizedFieldsRowsAndPlansAreRefusedNamingTheRow) {
    const std::string Field(MaxCsvField + 1, 'x');
    const std::string Quarter(MaxCsvRow / 4, 'x');
    std::string Many = "Name;Duration\n";
    for (int k = 0; k <= MaxWorks; ++k)
        Many += "W" + std::to_string(k) + ";1\n";
    const struct {
        std::string Bytes;
        std::string Why;
    } Cases[] = {
        {"Name;Duration\nA;1\n\"" + Field + "\";1\n", "строка 3: поле длиннее 1048576 байт"},
        {"Name;Duration\n" + Field + ";1\n", "строка 2: поле длиннее 1048576 байт"},
        {"Name;Duration\n" + Quarter + ";" + Quarter + ";" + Quarter + ";" + Quarter + ";1\n",
         "строка 2: строка длиннее 4194304 байт"},
        {Many, "bad: " + TooMany},
        // Two million separators make as many empty captions, none kept.
        {std::string(2'000'000, ';'), "нет заголовка столбца «Наименование»"},
    };
    for (const auto& Case : Cases) {
        const std::string Error = Refusal(ReadCsv, Case.Bytes);
        EXPECT_NE(Error.find(Case.Why), std::string::npos) << Error.substr(0, 200);
    }
}

TEST(Csv, NamesASpreadsheetWouldTakeForFormulasAreWrittenAsTextAndReadBackAsThey) {
    const std::vector<std::string> Names = {"=СУММ(A1)", "+7", "-x", "@a", "\tb", "\rc",
                                            "'=d",       "'e", "''", "'",  "a=b"};
    TWorkList List;
    for (const std::string& Name : Names)
        List.AddWork({Name, 1, {}}, true);
    const std::string Bytes = WriteCsv(List);
    for (const char* Written :
         {";'=СУММ(A1);", ";'+7;", ";'-x;", ";'@a;", ";''=d;", ";'e;", ";''';"})
        EXPECT_NE(Bytes.find(Written), std::string::npos) << Written << "\n" << Bytes;
    std::string Error;
    const auto Plan = ReadCsv(Bytes, "x", Error);
    ASSERT_TRUE(Plan) << Error;
    ASSERT_EQ(Plan->Works.size(), Names.size());
    for (std::size_t i = 0; i < Names.size(); ++i)
        EXPECT_EQ(Plan->Works[i].Name, Names[i]);
}

} // namespace
