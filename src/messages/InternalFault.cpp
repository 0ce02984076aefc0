#include "messages/InternalFault.h"

void RaiseFault(std::string_view Text) { throw EInternalFault(Text); }
