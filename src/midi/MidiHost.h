#pragma once

#include "midi/MidiFault.h"
#include "midi/TransferReport.h"

class CSysExData;

// What the MIDI link needs of the application that hosts it: the desktop program
// and the command-line tool each provide one. The link reports; the host speaks,
// with the words of LinkTexts.
class MidiHost {
  public:
    virtual ~MidiHost() = default;
    virtual void SetMidiBusy() = 0;
    virtual void ClearMidiBusy() = 0;
    // The transfer delay in milliseconds.
    virtual int GetPauseTime() = 0;

    // A step the MIDI service refused: the host shows the fault's texts and, for a
    // fatal one, ends the program at once with exit code 1.
    virtual void LinkFault(const MidiFault& in_fault) = 0;
    // A transfer has ended, however it ended: the host shows the report's texts.
    virtual void TransferEnded(const TransferReport& in_report) = 0;

    // Optional notifications, all on the loop (UI) thread.
    virtual void TransferProgress(TransferKind, int /*blocksDone 0..16*/) {}
    virtual void EntriesReceived(CSysExData* /*bank*/, int /*firstEntry*/, int /*count*/) {}
};
