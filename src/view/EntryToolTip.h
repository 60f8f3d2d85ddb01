#pragma once

#include <QString>

class CSysExData;

// What hovering an entry tells: for a patch the tones it plays in this bank
// ("Plays tones 35 Saw Brass and 36 Soft Pad"), for a tone the patches of this bank
// that play it. Empty for a cell that holds no entry.
QString EntryToolTip(const CSysExData& in_bank, int in_row, int in_column);
