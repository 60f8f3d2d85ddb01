#include "bank/SelectionData.h"

#include <cstdio>

#include "bank/SysExData.h"

namespace {
std::string ByteLines(const int8_t* in_bytes, int in_count) {
    std::string text;
    for (int start = 0; start < in_count; start += 5) {
        text += "\n";
        for (int i = start; i < start + 5 && i < in_count; ++i) {
            char number[8];
            std::snprintf(number, sizeof number, i == start ? "%d" : " %d", int(in_bytes[i]));
            text += number;
        }
    }
    return text;
}
}  // namespace

std::string PatchSelectionText(const CPatchData& in_patch) {
    if (in_patch.IsEmpty()) {
        return "This Patch is uninitialized\n(defaults to Steel Drum Patch).\n\nThis patch has NOT "
               "been loaded with one from your mks-80.";
    }
    return ByteLines(in_patch.GetData(), PATCH_PARAM_COUNT);
}

std::string ToneSelectionText(const CToneData& in_tone) {
    if (in_tone.IsEmpty()) {
        return "This Tone is uninitialized\n(defaults to Steel Drum Tone).\n\nThis tone has NOT "
               "been loaded with one from your mks-80.";
    }
    return ByteLines(in_tone.GetData(), TONE_PARAM_COUNT);
}
