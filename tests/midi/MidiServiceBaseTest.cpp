// The rules every backend gets from the base, against a transport that sends what
// it is given straight back in.
#include <gtest/gtest.h>

#include <vector>

#include "midi/MidiServiceBase.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Loopback : public MidiServiceBase {
  public:
    ~Loopback() override { CloseAll(); }
    unsigned InGetNumDevs() override { return 1; }
    unsigned OutGetNumDevs() override { return 1; }
    MMRESULT InGetDevCaps(unsigned, std::string&) override { return MMSYSERR_NOERROR; }
    MMRESULT OutGetDevCaps(unsigned, std::string&) override { return MMSYSERR_NOERROR; }

    int closedInputs = 0;

  protected:
    MMRESULT OpenInput(MidiHandle, unsigned in_id, const InputQueue& in_queue) override {
        if (in_id != 0) {
            return MMSYSERR_BADDEVICEID;
        }
        m_Input = in_queue;
        return MMSYSERR_NOERROR;
    }
    void CloseInput(MidiHandle) override {
        m_Input.reset();
        ++closedInputs;
    }
    MMRESULT OpenOutput(MidiHandle, unsigned in_id) override {
        return in_id == 0 ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
    }
    MMRESULT SendLong(MidiHandle, const uint8_t* in_data, size_t in_size) override {
        if (m_Input) {
            m_Input->ReceiveMessage(Bytes(in_data, in_data + in_size));
        }
        return MMSYSERR_NOERROR;
    }
    void CloseOutput(MidiHandle) override {}

  private:
    InputQueue m_Input;
};

MidiHdr Buffer(const Bytes& in_bytes = Bytes(16, 0)) {
    MidiHdr header;
    header.data = in_bytes;
    header.bufferLength = static_cast<uint32_t>(in_bytes.size());
    return header;
}

TEST(MidiServiceBase, KeepsTheBufferRulesForEveryBackend) {
    Loopback service;
    int delivered = 0;
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    EXPECT_EQ(service.InOpen(in, 0, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(service.InOpen(in, 1, [&](auto...) { ++delivered; }), MMSYSERR_BADDEVICEID);
    ASSERT_EQ(service.InOpen(in, 0, [&](auto...) { ++delivered; }), MMSYSERR_NOERROR);
    ASSERT_EQ(service.InStart(in), MMSYSERR_NOERROR);
    ASSERT_EQ(service.OutOpen(out, 0), MMSYSERR_NOERROR);
    EXPECT_NE(in, out);

    MidiHdr input = Buffer(Bytes());
    EXPECT_EQ(service.InPrepareHeader(in, input), MMSYSERR_INVALPARAM);  // no data area
    input = Buffer();
    EXPECT_EQ(service.InAddBuffer(in, input), MIDIERR_UNPREPARED);
    EXPECT_EQ(service.InPrepareHeader(out, input), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(service.InPrepareHeader(in, input), MMSYSERR_NOERROR);
    ASSERT_EQ(service.InAddBuffer(in, input), MMSYSERR_NOERROR);
    EXPECT_EQ(service.InAddBuffer(in, input), MIDIERR_STILLPLAYING);
    EXPECT_EQ(service.InUnprepareHeader(in, input), MIDIERR_STILLPLAYING);

    MidiHdr output = Buffer({0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7});
    EXPECT_EQ(service.OutLongMsg(out, output), MIDIERR_UNPREPARED);
    EXPECT_EQ(service.OutPrepareHeader(in, output), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(service.OutPrepareHeader(out, output), MMSYSERR_NOERROR);
    output.bufferLength = 0;
    EXPECT_EQ(service.OutLongMsg(out, output), MMSYSERR_INVALPARAM);
    output.bufferLength = 7;
    EXPECT_EQ(service.OutLongMsg(out, output), MMSYSERR_INVALPARAM);
    output.bufferLength = 6;
    ASSERT_EQ(service.OutLongMsg(out, output), MMSYSERR_NOERROR);
    EXPECT_EQ(output.flags & MHDR_DONE, MHDR_DONE);

    // The message came back into the queued buffer, which is the owner's again.
    EXPECT_EQ(delivered, 1);
    EXPECT_EQ(input.bytesRecorded, 6u);
    EXPECT_EQ(input.flags, MHDR_PREPARED | MHDR_DONE);
    EXPECT_EQ(service.InUnprepareHeader(in, input), MMSYSERR_NOERROR);
    EXPECT_EQ(input.flags & MHDR_PREPARED, 0u);
}

TEST(MidiServiceBase, ClosingHandsBackTheBuffersAndEndsTheCallbacks) {
    Loopback service;
    int delivered = 0;
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    ASSERT_EQ(service.InOpen(in, 0, [&](auto...) { ++delivered; }), MMSYSERR_NOERROR);
    ASSERT_EQ(service.InStart(in), MMSYSERR_NOERROR);
    ASSERT_EQ(service.OutOpen(out, 0), MMSYSERR_NOERROR);
    MidiHdr input = Buffer();
    ASSERT_EQ(service.InPrepareHeader(in, input), MMSYSERR_NOERROR);
    ASSERT_EQ(service.InAddBuffer(in, input), MMSYSERR_NOERROR);

    EXPECT_EQ(service.InClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(service.closedInputs, 1);
    EXPECT_EQ(input.flags & MHDR_INQUEUE, 0u);
    EXPECT_EQ(service.InClose(in), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(service.InAddBuffer(in, input), MMSYSERR_INVALHANDLE);
    MidiHdr output = Buffer({0xF0, 0xF7});
    ASSERT_EQ(service.OutPrepareHeader(out, output), MMSYSERR_NOERROR);
    ASSERT_EQ(service.OutLongMsg(out, output), MMSYSERR_NOERROR);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(service.OutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(service.OutLongMsg(out, output), MMSYSERR_INVALHANDLE);
}

}  // namespace
