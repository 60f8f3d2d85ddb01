#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mks80/Parameters.h"

// A sound read parameter by parameter, as the panel and `quorlin-cli show --params`
// present it.
namespace mks80 {

// One parameter of a tone or of a patch half as its bytes hold it.
struct ParameterReading {
    const Parameter* param = nullptr;
    Half half = Half::Upper;
    int stored = 0;    // the field as stored, possibly out of range
    int value = 0;     // the message value; a value out of range as stored
    std::string text;  // what the panel shows, marked when the instrument could not send it
};

// A tone's 48 parameters; or a patch's upper half, then its lower half, 15 each, the
// shared parameters 0 to 2 in both (as the instrument's messages carry them).
std::vector<ParameterReading> ReadParameters(Kind in_kind, const int8_t* in_bytes);

// "tone" for a tone; "upper" or "lower" for a patch half.
const char* GroupName(Kind in_kind, Half in_half);

// GROUP TAB NUMBER TAB NAME TAB VALUE TAB TEXT, without a line end.
std::string ParameterLine(Kind in_kind, const ParameterReading& in_reading);
// Every line of ReadParameters, each ended by a line feed.
std::string ParameterLines(Kind in_kind, const int8_t* in_bytes);

}  // namespace mks80
