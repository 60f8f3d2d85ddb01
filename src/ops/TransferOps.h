#pragma once

#include "bank/BankCompare.h"
#include "ops/LinkSession.h"

class CSysExData;
struct BankReadReport;

namespace ops {

// Sending and verifying a bank, whole or as far as the file it came from held it.
// A report in_held of nullptr stands for a whole bank.

// True when the file of in_held gave entry in_index (0 to 63) intact: every entry of a
// bank file or a whole dump; of a partial dump, those of its blocks with a right checksum.
bool HeldIntact(const BankReadReport* in_held, int in_index);

// Every entry the file of in_held did not hold intact takes what in_instrument holds.
void TakeEntriesNotHeld(const BankReadReport* in_held, const CSysExData& in_instrument,
                        CSysExData& io_bank);

// How in_bank differs from in_instrument, the instrument's memory: the entries the file
// held intact whose parameter bytes differ. The instrument keeps no names.
BankComparison InstrumentComparison(const CSysExData& in_bank, const CSysExData& in_instrument,
                                    const BankReadReport* in_held = nullptr);

struct SendResult {
    bool fetched = false;  // a partial bank fetched the instrument's own entries first
    TransferResult fetch;
    TransferResult send;
    // The fetch before a partial send failed: nothing was sent.
    bool FetchFailed() const { return fetched && !fetch.Completed(); }
};

// Sends io_bank. The blocks of a dump carry no number, so a send is always all 16: a
// bank from a partial file first takes the instrument's own entries where the file
// held none, and so changes only the entries the file held.
SendResult SendBank(LinkSession& io_session, CSysExData& io_bank,
                    const BankReadReport* in_held = nullptr);

struct VerifyResult {
    TransferResult fetch;
    BankComparison differences;  // when the fetch completed: see InstrumentComparison
};

// Fetches the instrument's memory and compares it with in_bank.
VerifyResult VerifyBank(LinkSession& io_session, const CSysExData& in_bank,
                        const BankReadReport* in_held = nullptr);

}  // namespace ops
