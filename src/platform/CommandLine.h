#pragma once

#include <string>

namespace platform {

// A whole decimal number of digits only (no sign, no blanks) within in_min..in_max.
// False, leaving out_value alone, for anything else.
bool ParseWholeNumber(const std::string& in_text, int in_min, int in_max, int& out_value);

}  // namespace platform
