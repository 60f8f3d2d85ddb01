// The link's ports and buffers against the scripted service: call sequences,
// message boxes and the fatal rows.
#include "LinkTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

const Calls kOpenSequence = {"midiInOpen(0)",   "midiInStart",    "midiInPrepareHeader",
                             "midiInAddBuffer", "midiOutOpen(0)", "midiOutPrepareHeader"};

}  // namespace

TEST_F(LinkTest, NewLinkStartsClosedAtTheDefaultsWithoutTouchingThePlatform) {
    EXPECT_TRUE(service.Calls().empty());
    EXPECT_EQ(link->GetMidiInDevID(), 0u);
    EXPECT_EQ(link->GetMidiOutDevID(), 0u);
    EXPECT_FALSE(link->IsInPortOpen());
    EXPECT_FALSE(link->IsOutPortOpen());
    EXPECT_EQ(link->GetMode(), 0);
    EXPECT_EQ(link->GetBlockCounter(), 0);
    EXPECT_EQ(link->GetPortData().m_BufferSize, 1000);
    EXPECT_EQ(link->GetMessages().DeviceByte(), 0);
    EXPECT_EQ(link->GetCurrentSysExData(), &bank);
    EXPECT_FALSE(link->IsTransferRunning());
}

TEST_F(LinkTest, OpensInOrderDoesNothingWhileOpenAndReleasesOnClose) {
    link->OpenMidiPorts();
    EXPECT_EQ(service.Calls(), kOpenSequence);
    EXPECT_TRUE(link->IsInPortOpen());
    EXPECT_TRUE(link->IsOutPortOpen());
    EXPECT_EQ(link->GetPortData().m_MidiInHdr.data.size(), 1000u);
    EXPECT_EQ(link->GetPortData().m_MidiInHdr.bufferLength, 1000u);

    service.ClearCalls();
    link->OpenMidiPorts();
    EXPECT_TRUE(service.Calls().empty());

    link->CloseMidiPorts();
    EXPECT_EQ(service.Calls(), (Calls{"midiInClose", "midiOutClose"}));
    EXPECT_FALSE(link->IsInPortOpen());
    EXPECT_EQ(service.OpenInputs(), 0);
    EXPECT_EQ(service.OpenOutputs(), 0);

    service.ClearCalls();
    link->OpenMidiPorts();
    EXPECT_EQ(service.Calls(), kOpenSequence);
}

TEST_F(LinkTest, DeviceIdsTakeEffectAtTheNextOpen) {
    link->OpenMidiPorts();
    link->SetMidiInDevID(3);
    link->SetMidiOutDevID(1);
    service.ClearCalls();
    link->OpenMidiPorts();
    EXPECT_TRUE(service.Calls().empty());
    link->CloseMidiPorts();
    service.ClearCalls();
    link->OpenMidiPorts();
    EXPECT_EQ(service.Calls()[0], "midiInOpen(3)");
    EXPECT_EQ(service.Calls()[4], "midiOutOpen(1)");
}

TEST_F(LinkTest, SecondTransferOpensAgainWherePlatformRefusesADoubleOpen) {
    service.m_RefuseSecondOpen = true;
    link->GetPatches();
    EXPECT_TRUE(link->IsInPortOpen());
    link->ForgetSysExData(&bank);  // ends the first transfer
    link->SetCurrentSysExData(&bank);
    link->SendPatches();
    EXPECT_TRUE(link->IsInPortOpen());
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_EQ(service.OpenInputs(), 1);
    EXPECT_EQ(service.OpenOutputs(), 1);
}

TEST_F(LinkTest, DestroyingTheLinkReleasesItsDevices) {
    link->OpenMidiPorts();
    link.reset();
    EXPECT_EQ(service.OpenInputs(), 0);
    EXPECT_EQ(service.OpenOutputs(), 0);
}

TEST_F(LinkTest, FailedInputOpenIsReportedAndTheSequenceGoesOn) {
    service.Fail("midiInOpen", MMSYSERR_ALLOCATED);
    link->OpenMidiPorts();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Cannot Open Midi In Port"});
    // The input buffer is still made; with no device the service refuses to prepare it.
    EXPECT_EQ(service.Calls(), (Calls{"midiInOpen(0)", "midiInPrepareHeader", "midiOutOpen(0)",
                                      "midiOutPrepareHeader"}));
    EXPECT_FALSE(link->IsInPortOpen());
    EXPECT_TRUE(link->IsOutPortOpen());
    // Still marked closed: the next open tries the input again.
    service.ClearCalls();
    link->OpenMidiPorts();
    EXPECT_EQ(service.Calls(),
              (Calls{"midiInOpen(0)", "midiInStart", "midiInPrepareHeader", "midiInAddBuffer"}));
}

TEST_F(LinkTest, InputThatWouldNotOpenEndsInTheTimeOutNotInAnInternalError) {
    // The released handle of the last open is refused, as a real service refuses it.
    link->GetPatches();
    service.Fail("midiInOpen", MMSYSERR_ALLOCATED);
    service.Fail("midiInPrepareHeader", MMSYSERR_INVALHANDLE);
    link->ForgetSysExData(&bank);
    link->SetCurrentSysExData(&bank);
    link->GetPatches();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Cannot Open Midi In Port"});
    EXPECT_TRUE(host.busy);
    Wait(100 + CMidiManager::kAnswerTimeoutMs);
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(prompter.Texts().size(), 2u);
    EXPECT_EQ(host.ended.back().second, TransferOutcome::NoAnswer);
}

TEST_F(LinkTest, OpeningTheInputWritesTheDelayAndModeForTheHandling) {
    host.pause = 250;
    link->GetPatches();
    EXPECT_EQ(link->GetCallbackData().m_Delay, 250);
    EXPECT_EQ(link->GetCallbackData().m_Mode, 1);
    link->ForgetSysExData(&bank);
    link->SetCurrentSysExData(&bank);
    host.pause = 40;
    link->SendPatches();
    EXPECT_EQ(link->GetCallbackData().m_Delay, 40);
    EXPECT_EQ(link->GetCallbackData().m_Mode, 0);
}

TEST_F(LinkTest, MessagesGoOutAtTheirExactLengths) {
    link->GetPatches();
    ASSERT_EQ(service.Sent().size(), 1u);
    EXPECT_EQ(service.Sent()[0], NamedMessage(HS_RQD));
    link->SendAck();
    link->SendEod();
    link->SendDataBlock();
    const std::vector<Bytes> sent = service.Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1], ShortMessage(HS_ACK));
    EXPECT_EQ(sent[2], ShortMessage(HS_EOD));
    EXPECT_EQ(sent[3], BlockOf(bank, 0));
    Calls sends;
    for (const std::string& call : service.Calls()) {
        if (call.rfind("midiOutLongMsg", 0) == 0) {
            sends.push_back(call);
        }
    }
    EXPECT_EQ(sends, (Calls{"midiOutLongMsg(13)", "midiOutLongMsg(6)", "midiOutLongMsg(6)",
                            "midiOutLongMsg(255)"}));
}

TEST_F(LinkTest, ChannelSetsTheDeviceByteOfWhatGoesOut) {
    ASSERT_TRUE(link->GetMessages().SetMidiChannel(16));
    link->GetPatches();
    link->SendAck();
    ASSERT_EQ(service.Sent().size(), 2u);
    EXPECT_EQ(service.Sent()[0], NamedMessage(HS_RQD, 0x0F));
    EXPECT_EQ(service.Sent()[1], ShortMessage(HS_ACK, 0x0F));
}

// The send table: "Error" first, then the reason the code has, and nothing else.
TEST_F(LinkTest, SendFailuresShowErrorThenTheReasonOfTheirCode) {
    struct Row {
        MMRESULT code;
        std::vector<std::string> texts;
    };
    const std::vector<Row> rows = {
        {MMSYSERR_INVALHANDLE,
         {"Error",
          "MidiOut Error - MMSYSERR_INVALHANDLE:\nThe specified device handle is invalid."}},
        {MIDIERR_NOTREADY,
         {"Error", "MidiOut Error - MIDIERR_NOTREADY:\nThe hardware is busy with other data."}},
        {MIDIERR_BADOPENMODE,
         {"Error",
          "MidiOut Error - MIDIERR_BADOPENMODE:\nThe application sent a message without a status "
          "byte to a stream handle."}},
        {MMSYSERR_INVALPARAM, {"Error"}},  // that reason belongs to WSD alone
        {MMSYSERR_NOMEM, {"Error"}},
    };
    link->OpenMidiPorts();
    for (const Row& row : rows) {
        prompter.Clear();
        service.Fail("midiOutLongMsg", row.code);
        link->SendAck();
        EXPECT_EQ(prompter.Texts(), row.texts) << row.code;
    }
    EXPECT_TRUE(link->IsInPortOpen());
    EXPECT_TRUE(link->IsOutPortOpen());
}

TEST_F(LinkTest, InvalidParameterOnWantToSendHasItsOwnReason) {
    service.Fail("midiOutLongMsg", MMSYSERR_INVALPARAM);
    link->SendPatches();
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string>{"Error", "The specified pointer or structure is invalid"}));
    prompter.Clear();
    service.Fail("midiOutLongMsg", MMSYSERR_INVALPARAM);
    link->GetPatches();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Error"});
}

TEST_F(LinkTest, AccessorsReachTheCurrentBank) {
    CSysExData other(&view);
    EXPECT_EQ(link->aGetToneData(63), bank.GetTone(63));
    EXPECT_EQ(link->aGetPatchData(0), bank.GetPatch(0));
    link->SetCurrentSysExData(&other);
    EXPECT_EQ(link->aGetToneData(63), other.GetTone(63));
    link->SetCurrentSysExData(&bank);
    EXPECT_EQ(link->aGetPatchData(10), bank.GetPatch(10));
    link->ForgetSysExData(&other);  // not current: nothing changes
    EXPECT_EQ(link->GetCurrentSysExData(), &bank);
    link->ForgetSysExData(&bank);
    EXPECT_EQ(link->GetCurrentSysExData(), nullptr);
}

// ---- The fatal rows ---------------------------------------------------------------

// A fatal fault is reported with its text and the step goes no further; the front
// end ends the program (its own tests show that).
class LinkFaultTest : public LinkTest {
  protected:
    // The one text of the last fault, which must be fatal.
    std::string FatalText() {
        EXPECT_FALSE(host.faults.empty());
        if (host.faults.empty()) {
            return std::string();
        }
        EXPECT_TRUE(host.faults.back().IsFatal());
        EXPECT_FALSE(prompter.Texts().empty());
        return prompter.Texts().empty() ? std::string() : prompter.Texts().back();
    }
};

TEST_F(LinkFaultTest, AccessorIndexOfSixtyFourIsFatal) {
    const std::string text =
        "Internal Program Error: Inside CMidiManager::aGetToneData, invalid in_SysExBlock";
    EXPECT_EQ(link->aGetToneData(64), nullptr);
    EXPECT_EQ(FatalText(), text);
    EXPECT_EQ(link->aGetPatchData(64), nullptr);
    EXPECT_EQ(FatalText(), text);
    EXPECT_EQ(host.faults.size(), 2u);
}

TEST_F(LinkFaultTest, InputStartFailureIsFatalAndNoBufferFollows) {
    service.Fail("midiInStart", MMSYSERR_ERROR);
    link->OpenMidiPorts();
    EXPECT_EQ(FatalText(),
              "Internal Program Error: Inside CMidiManager::OpenMidiInPort() - MidiInStart has "
              "failed");
    EXPECT_EQ(service.Calls(), (Calls{"midiInOpen(0)", "midiInStart"}));
    EXPECT_FALSE(link->IsInPortOpen());
}

TEST_F(LinkFaultTest, OutputOpenFailureNamesTheCodeAndItsReason) {
    const std::vector<std::pair<MMRESULT, std::string>> rows = {
        {MMSYSERR_BADDEVICEID, "The specified device identifier is out of range."},
        {MMSYSERR_ALLOCATED, "The specified resource is already allocated."},
        {MMSYSERR_NOMEM, "The system is unable to allocate or lock memory."},
        {MMSYSERR_INVALPARAM, "The specified pointer or structure is invalid."},
        {MIDIERR_NODEVICE,
         "No MIDI port was found. This error occurs only when the mapper is opened."},
        {MMSYSERR_ERROR, ""},
    };
    for (const auto& row : rows) {
        ScriptedMidiService failing;
        failing.Fail("midiOutOpen", row.first);
        CMidiManager manager(failing, loop, host);
        manager.OpenMidiPorts();
        EXPECT_EQ(FatalText(),
                  "Internal Program Error: Inside CMidiManager::OpenMidiOutPort()\n\n\nError was " +
                      std::to_string(row.first) + ", base 0" + row.second)
            << row.first;
        EXPECT_FALSE(manager.IsOutPortOpen());
        EXPECT_EQ(failing.Calls().back(), "midiOutOpen(0)");  // no buffer for it
    }
}

TEST_F(LinkFaultTest, BufferFailuresNameTheOperationAndTheReason) {
    struct Row {
        std::string call;
        MMRESULT code;
        std::string text;
    };
    const std::string in = "Internal Program Error: Inside CMidiManager::CreateSysExBuffers.\n";
    const std::string out =
        "Internal Program Error: Inside CMidiManager::CreateOutSysExBuffer.\n"
        "Could Not Create SYSEX Output buffers.\nOn midiOutPrepareHeader";
    const std::string prep = in + "Could Not Create SYSEX Input buffers.";
    const std::string add = in + "Could Not attach SYSEX Input buffers to the MIDI in port.";
    const std::vector<Row> rows = {
        {"midiInPrepareHeader", MMSYSERR_INVALHANDLE,
         prep + "\n\nThe specified device handle is invalid."},
        {"midiInPrepareHeader", MMSYSERR_NOMEM,
         prep + "\n\nThe system is unable to allocate or lock memory."},
        {"midiInPrepareHeader", MMSYSERR_INVALPARAM,
         prep + "\n\nThe specified address is invalid."},
        {"midiInPrepareHeader", MIDIERR_NOTREADY, prep},
        {"midiInAddBuffer", MMSYSERR_INVALHANDLE,
         add + "\n\nThe specified device handle is invalid."},
        {"midiInAddBuffer", MMSYSERR_NOMEM,
         add + "\n\nThe system is unable to allocate or lock memory."},
        {"midiInAddBuffer", MMSYSERR_INVALPARAM,
         add + "\n\nThe specified pointer or structure is invalid."},
        {"midiInAddBuffer", MIDIERR_UNPREPARED,
         add + "\n\nThe buffer pointed to by lpMidiInHdr has not been prepared."},
        {"midiInAddBuffer", MIDIERR_STILLPLAYING,
         add + "\n\nThe buffer pointed to by lpMidiInHdr is still in the queue."},
        {"midiOutPrepareHeader", MMSYSERR_INVALHANDLE,
         out + "\n\nThe specified device handle is invalid."},
        {"midiOutPrepareHeader", MMSYSERR_NOMEM,
         out + "\n\nThe system is unable to allocate or lock memory."},
        {"midiOutPrepareHeader", MMSYSERR_INVALPARAM,
         out + "\n\nThe specified address is invalid."},
    };
    for (const Row& row : rows) {
        ScriptedMidiService failing;
        failing.Fail(row.call, row.code);
        CMidiManager manager(failing, loop, host);
        manager.OpenMidiPorts();
        EXPECT_EQ(FatalText(), row.text) << row.call << " " << row.code;
        EXPECT_EQ(failing.Calls().back(), row.call);  // the open goes no further
    }
}

TEST_F(LinkFaultTest, UnprepareFailuresAreFatal) {
    link->OpenMidiPorts();
    service.Fail("midiInUnprepareHeader", MMSYSERR_INVALHANDLE);
    link->DeleteAllSysExBuffers();
    EXPECT_EQ(FatalText(),
              "Internal Program Error: Inside CMidiManager::DeleteInSysExBuffer.\nCould Not "
              "release the SYSEX Input buffer.\nOn midiInUnprepareHeader\n\nThe specified device "
              "handle is invalid.");
    EXPECT_EQ(service.Calls().back(), "midiInUnprepareHeader");  // the output is left alone
    ScriptedMidiService failing;
    CMidiManager manager(failing, loop, host);
    manager.OpenMidiPorts();
    failing.Fail("midiOutUnprepareHeader", MMSYSERR_INVALPARAM);
    manager.DeleteOutSysExBuffer();
    EXPECT_EQ(FatalText(),
              "Internal Program Error: Inside CMidiManager::DeleteOutSysExBuffer.\nCould Not "
              "release the SYSEX Output buffer.\nOn midiOutUnprepareHeader\n\nThe specified "
              "address is invalid.");
}
