#pragma once

#include <string>

class CPatchData;
class CToneData;

// The text of the selection data display: the warning for an entry that never
// received data, or its parameter bytes as signed numbers, five to a line, each
// line starting with a line break.
std::string PatchSelectionText(const CPatchData& in_patch);
std::string ToneSelectionText(const CToneData& in_tone);
