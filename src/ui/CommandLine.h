#pragma once
// The faces of the korvant executable that open no window: --report prints the
// analysed scheme as JSON, --render writes the diagram as a PNG.

#include <optional>

// The exit code when the arguments asked for a window-less face (or were
// wrong); nothing when the program should start its windows.
std::optional<int> RunCommandLine(int argc, char** argv);
