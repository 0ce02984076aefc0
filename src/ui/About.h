#pragma once
// The text of Help -> "О программе": the program, its version as the build
// names it, and what it is for.

#include <string>

std::string AboutText();
