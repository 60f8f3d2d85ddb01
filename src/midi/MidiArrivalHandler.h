#pragma once

#include "midi/MidiArrival.h"

// What the input hand-over serves: the transfer in progress.
class MidiArrivalHandler {
  public:
    virtual ~MidiArrivalHandler() = default;
    virtual bool IsTransferRunning() const = 0;
    // A long message as it arrives: whether the transfer waits for it (and so keeps
    // it, to be handled after its delay). One it does not take is let go.
    virtual bool TakeArrival(const MidiArrival& in_arrival) = 0;
    // The messages kept, one at a time, in order, each after its delay: those the
    // transfer took and the short messages that came while it ran.
    virtual void HandleArrival(const MidiArrival& in_arrival) = 0;
};
