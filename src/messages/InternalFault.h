#pragma once
// The one exception type for broken internal state: a set, graph, store or
// network invariant that a correct program never violates. It carries a
// catalogue text or one of the store's fixed English texts, and is caught only
// by the application's top-level handler, which shows the text and goes on.

#include <stdexcept>
#include <string>
#include <string_view>

class EInternalFault : public std::runtime_error {
public:
    explicit EInternalFault(std::string_view Text) : std::runtime_error(std::string(Text)) {}
};

[[noreturn]] void RaiseFault(std::string_view Text);
