#pragma once

// Two running copies of the program share records through the system clipboard. These
// modes check that on a real display: one copy offers a tone record and keeps running
// for in_seconds; the other reads it back and pastes it into a bank of its own.
int OfferToneRecord(int in_seconds);
// 0 when a tone record named "Across" was pasted from the clipboard.
int PasteToneRecord();
