#include "platform/CommandLine.h"

namespace platform {

bool ParseWholeNumber(const std::string& in_text, int in_min, int in_max, int& out_value) {
    // Nine digits always fit in an int, so the sum below cannot overflow.
    if (in_text.empty() || in_text.size() > 9) {
        return false;
    }
    long value = 0;
    for (char c : in_text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value < in_min || value > in_max) {
        return false;
    }
    out_value = static_cast<int>(value);
    return true;
}

}  // namespace platform
