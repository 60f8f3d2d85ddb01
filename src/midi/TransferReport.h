#pragma once

#include <cstdint>
#include <vector>

#include "midi/MidiService.h"

enum class TransferKind { Receive, Send };

enum class TransferOutcome {
    Completed,         // every block went through
    CompletedDamaged,  // the fetch ended but some entries were not received
    NoAnswer,          // nothing heard for 3 s beyond the delay
    Refused,           // the instrument answered with reject (4FH) or error (4EH)
    SendFailed,        // the first message (RQD/WSD) could not be sent
    NotSendable,       // the bank holds bytes of 80H or more; the block was not sent
    Abandoned          // the bank was destroyed with its view; ended quietly
};

// How a transfer ended, as the link reports it; LinkTexts gives the words.
struct TransferReport {
    TransferKind kind = TransferKind::Receive;
    // What ended it.
    TransferOutcome outcome = TransferOutcome::Completed;
    // Where it stood: a fetch, the blocks taken in (0 to 16); a send, the next
    // block to send (0 to 15, 16 for the end of data, 17 once that is out).
    int blocks = 0;
    // The entries that arrived: a fetch, those stored intact; a send, those whose
    // blocks went out. In ascending order.
    std::vector<int> entries;
    // Refused: the instrument's answer, error (4EH) or reject (4FH).
    uint8_t answer = 0;
    // SendFailed: the service's result for the first message.
    MMRESULT code = MMSYSERR_NOERROR;
    // NotSendable: the entries holding a byte of 80H or more (once a send has begun,
    // those of the block that could not go).
    std::vector<int> highEntries;
};
