#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "midi/MidiServiceBase.h"

// A MIDI service for tests: records every call in order as text such as
// "midiInOpen(3)" or "midiOutLongMsg(6)", fails any call with any code on demand,
// and lets a test inject input as if it came from the service's thread. The rules
// of handles and buffers are the base's, as in every real backend.
class ScriptedMidiService : public MidiServiceBase {
  public:
    using Bytes = std::vector<uint8_t>;

    ScriptedMidiService();
    ~ScriptedMidiService() override;

    unsigned InGetNumDevs() override;
    unsigned OutGetNumDevs() override;
    MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) override;
    MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) override;

    MMRESULT InOpen(MidiHandle& out_handle, unsigned in_id, MidiInCallback in_callback) override;
    MMRESULT InStart(MidiHandle in_handle) override;
    MMRESULT InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT InClose(MidiHandle in_handle) override;

    MMRESULT OutOpen(MidiHandle& out_handle, unsigned in_id) override;
    MMRESULT OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) override;
    MMRESULT OutClose(MidiHandle in_handle) override;

    // The next in_times calls named in_call ("midiOutOpen", ...) return in_code;
    // in_times < 0: every call from now on.
    void Fail(const std::string& in_call, MMRESULT in_code, int in_times = 1);
    // Opening a device that is open already fails with MMSYSERR_ALLOCATED, as some
    // platforms do.
    bool m_RefuseSecondOpen = false;
    // Called after every successful OutLongMsg with the bytes sent (on the caller's thread).
    std::function<void(const Bytes&)> m_OnSend;

    // The calls so far, and forgetting them.
    std::vector<std::string> Calls() const;
    void ClearCalls();
    std::vector<Bytes> Sent() const;
    int QueuedBuffers() const;
    int OpenInputs() const;
    int OpenOutputs() const;

    // Input as if from the service thread (on the calling thread, or on a thread of
    // its own with in_ownThread). A long message fills the first queued buffer, or
    // waits until one is queued; returns whether it was delivered now.
    bool InjectLongData(const Bytes& in_message, bool in_ownThread = false);
    bool InjectLongError(const Bytes& in_partial);
    void InjectShort(uint32_t in_message);

    std::vector<std::string> m_InNames{"Scripted In A", "Scripted In B"};
    std::vector<std::string> m_OutNames{"Scripted Out A", "Scripted Out B"};

  protected:
    MMRESULT OpenInput(MidiHandle in_handle, unsigned in_id, const InputQueue& in_queue) override;
    void CloseInput(MidiHandle in_handle) override;
    MMRESULT OpenOutput(MidiHandle in_handle, unsigned in_id) override;
    MMRESULT SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) override;
    void CloseOutput(MidiHandle in_handle) override;

  private:
    // Records the call; its scripted failure, if one is due.
    MMRESULT Record(const std::string& in_call, const std::string& in_text);
    // The input injected messages go to: the one opened last.
    InputQueue Input() const;

    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Calls;
    std::vector<Bytes> m_Sent;
    std::map<std::string, std::pair<MMRESULT, int>> m_Failures;
    InputQueue m_Input;
    MidiHandle m_InHandle = kNoMidiHandle;
    std::map<MidiHandle, unsigned> m_OpenIn;
    std::map<MidiHandle, unsigned> m_OpenOut;
};
