// Arbitrary bytes as a PSPLIB instance.
#include "PlanReaderFuzz.h"

#include "exchange/Psplib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    CheckReader(std::string_view(reinterpret_cast<const char*>(Data), Size), ReadPsplib, nullptr);
    return 0;
}
