#include "mks80/ParameterReadings.h"

namespace mks80 {

std::vector<ParameterReading> ReadParameters(Kind in_kind, const int8_t* in_bytes) {
    std::vector<ParameterReading> readings;
    const std::vector<Half> halves = in_kind == Kind::Tone
                                         ? std::vector<Half>{Half::Upper}
                                         : std::vector<Half>{Half::Upper, Half::Lower};
    for (Half half : halves) {
        for (const Parameter& param : ParametersOf(in_kind)) {
            ParameterReading reading;
            reading.param = &param;
            reading.half = half;
            reading.stored = StoredValue(param, in_bytes, half);
            reading.value = MessageValue(param, reading.stored);
            reading.text = StoredText(in_kind, param, in_bytes, half);
            readings.push_back(std::move(reading));
        }
    }
    return readings;
}

const char* GroupName(Kind in_kind, Half in_half) {
    if (in_kind == Kind::Tone) {
        return "tone";
    }
    return in_half == Half::Upper ? "upper" : "lower";
}

std::string ParameterLine(Kind in_kind, const ParameterReading& in_reading) {
    return std::string(GroupName(in_kind, in_reading.half)) + '\t' +
           std::to_string(in_reading.param->number) + '\t' + in_reading.param->name + '\t' +
           std::to_string(in_reading.value) + '\t' + in_reading.text;
}

std::string ParameterLines(Kind in_kind, const int8_t* in_bytes) {
    std::string lines;
    for (const ParameterReading& reading : ReadParameters(in_kind, in_bytes)) {
        lines += ParameterLine(in_kind, reading) + '\n';
    }
    return lines;
}

}  // namespace mks80
