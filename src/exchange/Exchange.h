#pragma once
// One road between the work list and files of every format the program
// knows, for the command line and the windows alike: the format follows the
// file's suffix, a read gives a plan or a text naming the file and what is
// wrong with it, and a write replaces the target only once the whole file is
// on the disk.

#include "exchange/Plan.h"

#include <optional>
#include <string>

enum class TPlanFormat { Scheme, MsProjectXml, Csv, Psplib, Unknown };

// By suffix, in any case: .kcrct, .xml, .csv, .sm.
TPlanFormat PlanFormatOf(const std::string& Path);
// PSPLIB files are only read.
bool CanWritePlan(TPlanFormat Format);
// "scheme", "MS Project XML", "CSV", "PSPLIB".
const char* PlanFormatName(TPlanFormat Format);

// The file's plan; a scheme file is read as a scheme and its entered
// dependencies taken. Nothing, with Error, when the file cannot be read or
// its contents are refused.
std::optional<TPlan> ReadPlan(const std::string& Path, TPlanFormat Format, std::string& Error);

// Writes the analysed list. False, with Error, when the list cannot be
// written in that format or the file cannot be written; whatever was at Path
// before then stays as it was.
bool WritePlan(const TWorkList& List, const std::string& Path, TPlanFormat Format,
               std::string& Error);

// Why the system would not let the file be read ("No such file or
// directory", "not a regular file"), or nothing when it would.
std::optional<std::string> FileUnreadable(const std::string& Path);
