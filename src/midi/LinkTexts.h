#pragma once

#include <string>
#include <vector>

#include "midi/MidiFault.h"
#include "midi/TransferReport.h"

// The words of the link's reports, made once for the desktop program's message
// boxes and the command line alike: the texts to show, in the order to show them
// (none when there is nothing to say).
std::vector<std::string> LinkTexts(const TransferReport& in_report);
std::vector<std::string> LinkTexts(const MidiFault& in_fault);
