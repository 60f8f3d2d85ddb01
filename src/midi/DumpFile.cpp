#include "midi/DumpFile.h"

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "midi/HandshakeMessages.h"

std::string RecordedDump(CSysExData& in_bank, int in_channel) {
    CHandshakeMessages messages;
    std::string dump;
    if (!messages.SetMidiChannel(in_channel)) {
        return dump;
    }
    const EntryAccess entries = AccessOf(in_bank);
    for (int block = 0; block < BLOCK_COUNT; ++block) {
        const DataMessage message = messages.BuildDataMessage(block, entries);
        dump.append(reinterpret_cast<const char*>(message.data()), message.size());
    }
    dump.append(reinterpret_cast<const char*>(messages.Eod()), size_t(messages.EodLength()));
    return dump;
}
