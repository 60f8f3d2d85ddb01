#pragma once

#include <string>

class CSysExData;

// The recorded dump of in_bank for MIDI channel in_channel (1 to 16): the 16 data
// messages in block order, then EOD — what the instrument's own dump looks like.
// Empty for a channel below 1.
std::string RecordedDump(CSysExData& in_bank, int in_channel);
