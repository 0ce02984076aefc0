#pragma once
// Single-mode instances of the project scheduling library PSPLIB (.sm files,
// read only). The jobs between the dummy source (job 1) and sink (the last
// job) become works named "Работа N" after their job numbers, with the
// durations of REQUESTS/DURATIONS and the dependencies of PRECEDENCE
// RELATIONS. The renewable resources ("R 1", ...) with their availabilities
// become the plan's resources and every job's requests its work's demands;
// non-renewable and doubly constrained ones are passed over with a warning. A
// job of zero duration other than the source and the sink is a milestone: the
// works after it wait for the works before it (its requests go with it).

#include "exchange/Plan.h"

#include <optional>
#include <string>
#include <string_view>

std::optional<TPlan> ReadPsplib(std::string_view Bytes, std::string_view Source,
                                std::string& Error);
