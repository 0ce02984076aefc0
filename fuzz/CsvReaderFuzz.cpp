// Arbitrary bytes as a CSV table of works.
#include "PlanReaderFuzz.h"

#include "exchange/CsvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    CheckReader(std::string_view(reinterpret_cast<const char*>(Data), Size), ReadCsv,
                [](const TWorkList& List) { return std::optional<std::string>(WriteCsv(List)); });
    return 0;
}
