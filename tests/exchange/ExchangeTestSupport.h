#pragma once
// What the readers' tests share: the sample files and a plan told as names,
// durations and the works each one waits for.

#include "exchange/Plan.h"
#include "model/RealText.h"
#include "model/SchemeFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string SampleBytes(const std::string& Name) {
    std::ifstream In(std::string(KORVANT_EXCHANGE_DATA) + "/" + Name, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

// How a reader refuses a plan of one work more than a scheme takes.
inline const std::string TooMany = "работ " + std::to_string(MaxWorks + 1) +
                                   ", а схема вмещает не больше " + std::to_string(MaxWorks);

// One work as "name duration <- 1 3" (predecessors counted from 1).
inline std::vector<std::string> Describe(const TPlan& Plan) {
    std::vector<std::string> Out;
    for (const TWorkData& Work : Plan.Works) {
        std::string Line = Work.Name + " " + FormatReal(Work.Duration) + " <-";
        for (std::size_t j = 0; j < Work.Links.size(); ++j)
            if (Work.Links[j] == LinkDirect)
                Line += " " + std::to_string(j + 1);
        Out.push_back(Line);
    }
    return Out;
}

// The error of a reader that must refuse Bytes.
template <class TReader>
std::string Refusal(TReader Read, const std::string& Bytes) {
    std::string Error;
    const auto Plan = Read(Bytes, "bad", Error);
    EXPECT_FALSE(Plan.has_value()) << Bytes;
    EXPECT_EQ(Error.rfind("bad: ", 0), 0u) << Error;
    return Error;
}
