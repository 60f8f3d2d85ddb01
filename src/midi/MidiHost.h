#pragma once

class CSysExData;

enum class TransferKind { Receive, Send };

enum class TransferOutcome {
    Completed,         // every block went through
    CompletedDamaged,  // the fetch ended but some entries were not received (named in the message)
    NoAnswer,          // nothing heard for 3 s beyond the delay
    Refused,           // the instrument answered with reject (4FH) or error (4EH)
    SendFailed,        // the first message (RQD/WSD) could not be sent
    NotSendable,       // the bank holds bytes of 80H or more; nothing was sent
    Abandoned          // the bank was destroyed with its view; ended quietly
};

// What the MIDI link needs of the application that hosts it: the desktop program
// and the command-line tool each provide one.
class MidiHost {
  public:
    virtual ~MidiHost() = default;
    virtual void SetMidiBusy() = 0;
    virtual void ClearMidiBusy() = 0;
    // The transfer delay in milliseconds.
    virtual int GetPauseTime() = 0;

    // Optional notifications, all on the loop (UI) thread.
    virtual void TransferProgress(TransferKind, int /*blocksDone 0..16*/) {}
    virtual void EntriesReceived(CSysExData* /*bank*/, int /*firstEntry*/, int /*count*/) {}
    virtual void TransferEnded(TransferKind, TransferOutcome) {}
};
