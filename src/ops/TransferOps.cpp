#include "ops/TransferOps.h"

#include <algorithm>

#include "bank/BankFiles.h"
#include "bank/BlockLayout.h"
#include "bank/SysExData.h"

namespace ops {

bool HeldIntact(const BankReadReport* in_held, int in_index) {
    if (in_held == nullptr || in_held->WholeBank()) {
        return true;
    }
    const int block = in_index / BLOCK_SLOTS;
    const std::vector<int>& damaged = in_held->badChecksums;
    return block < in_held->blocks &&
           std::find(damaged.begin(), damaged.end(), block) == damaged.end();
}

void TakeEntriesNotHeld(const BankReadReport* in_held, const CSysExData& in_instrument,
                        CSysExData& io_bank) {
    for (int first = 0; first < BANK_SIZE; first += BLOCK_SLOTS) {
        if (!HeldIntact(in_held, first)) {
            CopyEntries(in_instrument, io_bank, first, BLOCK_SLOTS);
        }
    }
}

BankComparison InstrumentComparison(const CSysExData& in_bank, const CSysExData& in_instrument,
                                    const BankReadReport* in_held) {
    BankComparison comparison = CompareBanks(in_bank, in_instrument);
    auto& entries = comparison.entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const EntryDifference& in_each) {
                                     return in_each.IsRenamed() ||
                                            !HeldIntact(in_held, in_each.index);
                                 }),
                  entries.end());
    return comparison;
}

SendResult SendBank(LinkSession& io_session, CSysExData& io_bank, const BankReadReport* in_held) {
    SendResult result;
    if (in_held != nullptr && !in_held->WholeBank()) {
        CNullBankView view;
        CSysExData instrument(&view);
        result.fetched = true;
        result.fetch = io_session.Fetch(instrument);
        if (!result.fetch.Completed()) {
            return result;
        }
        TakeEntriesNotHeld(in_held, instrument, io_bank);
    }
    result.send = io_session.Send(io_bank);
    return result;
}

VerifyResult VerifyBank(LinkSession& io_session, const CSysExData& in_bank,
                        const BankReadReport* in_held) {
    VerifyResult result;
    CNullBankView view;
    CSysExData instrument(&view);
    result.fetch = io_session.Fetch(instrument);
    if (result.fetch.Completed()) {
        result.differences = InstrumentComparison(in_bank, instrument, in_held);
    }
    return result;
}

}  // namespace ops
