// Arbitrary bytes as an MS Project XML file.
#include "PlanReaderFuzz.h"

#include "exchange/MsProjectXml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    CheckReader(std::string_view(reinterpret_cast<const char*>(Data), Size), ReadMsProjectXml,
                [](const TWorkList& List) {
                    std::string Error;
                    return WriteMsProjectXml(List, Error);
                });
    return 0;
}
