#pragma once
// The whole store as stable text, one block per record in table order: the
// record's position, handle, kind, links, sets and numbers. Tests compare
// builds with it and the debug window shows it.

#include "core/LinkObject.h"

#include <string>

std::string DumpStore(const TMemoryLinkObject& Store);
