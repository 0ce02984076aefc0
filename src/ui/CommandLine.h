#pragma once
// The faces of the korvant executable that open no window: --report prints the
// analysed scheme as JSON, --render writes the diagram as a picture, --convert
// turns a plan of one format into another, --help prints the usage.

#include <optional>

// The exit code when the arguments asked for a window-less face (or were
// wrong); nothing when the program should start its windows.
std::optional<int> RunCommandLine(int argc, char** argv);
