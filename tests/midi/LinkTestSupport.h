#pragma once

// What the link's tests share: a recording host, a fixture with the scripted
// service under the manual loop, and the handshake messages as bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ScriptedMidiService.h"
#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "midi/HandshakeMessages.h"
#include "midi/LinkTexts.h"
#include "midi/MidiHost.h"
#include "midi/MidiManager.h"
#include "midi/Mks80Engine.h"
#include "platform/EventLoop.h"
#include "platform/Prompter.h"

using Bytes = std::vector<uint8_t>;

class RecordingHost : public MidiHost {
  public:
    void SetMidiBusy() override {
        busy = true;
        ++setCount;
    }
    void ClearMidiBusy() override {
        busy = false;
        ++clearCount;
    }
    int GetPauseTime() override { return pause; }
    void TransferProgress(TransferKind, int in_blocks) override { progress.push_back(in_blocks); }
    void EntriesReceived(CSysExData* in_bank, int in_first, int in_count) override {
        received.push_back({in_first, in_count});
        lastBank = in_bank;
    }
    // Speaks as the front ends do, so the tests read the texts a user would.
    void LinkFault(const MidiFault& in_fault) override {
        faults.push_back(in_fault);
        for (const std::string& text : LinkTexts(in_fault)) {
            platform::GetPrompter().Message(text);
        }
    }
    void TransferEnded(const TransferReport& in_report) override {
        ended.push_back({in_report.kind, in_report.outcome});
        reports.push_back(in_report);
        for (const std::string& text : LinkTexts(in_report)) {
            platform::GetPrompter().Message(text);
        }
    }

    bool busy = false;
    int setCount = 0;
    int clearCount = 0;
    int pause = 100;
    std::vector<int> progress;
    std::vector<std::pair<int, int>> received;
    CSysExData* lastBank = nullptr;
    std::vector<std::pair<TransferKind, TransferOutcome>> ended;
    std::vector<TransferReport> reports;
    std::vector<MidiFault> faults;
};

inline Bytes ShortMessage(uint8_t in_command, uint8_t in_device = 0) {
    return {0xF0, 0x41, in_command, in_device, 0x20, 0xF7};
}
inline Bytes NamedMessage(uint8_t in_command, uint8_t in_device = 0) {
    return {0xF0, 0x41, in_command, in_device, 0x20, 0x4D, 0x4B,
            0x53, 0x2D, 0x38,       0x30,      0x00, 0xF7};
}
inline Bytes BlockOf(CSysExData& in_bank, int in_block, uint8_t in_device = 0) {
    const uint8_t header[BLOCK_HEADER_SIZE] = {0xF0, 0x41, HS_DAT, in_device, 0x20};
    const DataMessage message = EncodeBlock(in_block, AccessOf(in_bank), header);
    return Bytes(message.begin(), message.end());
}
inline bool SameEntries(const CSysExData& in_a, const CSysExData& in_b, int in_first = 0,
                        int in_count = BANK_SIZE) {
    for (int i = in_first; i < in_first + in_count; ++i) {
        if (std::memcmp(in_a.GetTone(i)->GetData(), in_b.GetTone(i)->GetData(), TONE_PARAM_COUNT) !=
                0 ||
            std::memcmp(in_a.GetPatch(i)->GetData(), in_b.GetPatch(i)->GetData(),
                        PATCH_PARAM_COUNT) != 0) {
            return false;
        }
    }
    return true;
}

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link = std::make_unique<CMidiManager>(service, loop, host);
        link->SetCurrentSysExData(&bank);
        Mks80Engine::FillDemonstrationBank(source);
    }
    void TearDown() override { link.reset(); }

    // Lets every posted message and timer that falls due within in_ms run.
    void Wait(int64_t in_ms) { loop.Advance(in_ms); }

    ScriptedMidiService service;
    platform::ManualEventLoop loop;
    RecordingHost host;
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scopedPrompter{prompter};
    CNullBankView view;
    CSysExData bank{&view};    // the link's current bank
    CSysExData source{&view};  // what the instrument holds, in the scripted tests
    std::unique_ptr<CMidiManager> link;
};
