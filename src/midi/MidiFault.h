#pragma once

#include "midi/MidiService.h"

// A step of the link that the MIDI service refused, or a state that must not
// occur. LinkTexts gives its words. A fatal fault is an internal error: the front
// end shows it and ends the program at once with exit code 1; the link itself goes
// no further with the step.
struct MidiFault {
    enum class Where {
        InOpen,          // the input would not open (not fatal: the link goes on)
        InStart,         // the input would not start
        OutOpen,         // the output would not open
        InPrepare,       // the input buffer could not be prepared
        InAdd,           // the input buffer could not be queued
        OutPrepare,      // the output buffer could not be prepared
        InUnprepare,     // the input buffer could not be released
        OutUnprepare,    // the output buffer could not be released
        OutBuffer,       // a message longer than the output buffer
        EntryIndex,      // an entry index of 64 or more for the current bank
        Send,            // a message could not be sent (not fatal)
        SendWantToSend,  // the announcement of a send could not be sent (not fatal)
        Channel          // a MIDI channel below 1
    };

    Where where = Where::InOpen;
    MMRESULT code = MMSYSERR_NOERROR;

    bool IsFatal() const {
        return where != Where::InOpen && where != Where::Send && where != Where::SendWantToSend;
    }
};
