#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiServiceBase.h"

// The platform's MIDI ports through RtMidi: every RtMidi API that starts on this
// machine (ALSA, JACK, CoreMIDI, WinMM), the ports of the first API first. No
// RtMidi exception leaves this class: each becomes a result code. The base keeps
// the rules of handles and buffers; this is RtMidi's transport.
class RtMidiService : public MidiServiceBase {
  public:
    RtMidiService();
    // Only the API named in_api ("alsa", "jack", "core", "winmm"); "" takes every
    // one. in_clientName is how this program appears to the MIDI server.
    explicit RtMidiService(const std::string& in_api, const std::string& in_clientName = "Quorlin");
    ~RtMidiService() override;
    RtMidiService(const RtMidiService&) = delete;
    RtMidiService& operator=(const RtMidiService&) = delete;

    // The names of the APIs that started, in the order their ports are listed.
    std::vector<std::string> ApiNames() const;
    // An API that starts now has its ports listed after all the others: no id moves.
    void StartNewApis() override;

    unsigned InGetNumDevs() override;
    unsigned OutGetNumDevs() override;
    MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) override;
    MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) override;

    // Ports of our own that other programs connect to, named in_portName, on the
    // first API (not every API has them: WinMM does not). Used and released
    // like the devices opened above.
    [[nodiscard]] MMRESULT InOpenVirtual(MidiHandle& out_handle, const std::string& in_portName,
                                         MidiInCallback in_callback);
    [[nodiscard]] MMRESULT OutOpenVirtual(MidiHandle& out_handle, const std::string& in_portName);

  protected:
    MMRESULT OpenInput(MidiHandle in_handle, unsigned in_id, const InputQueue& in_queue) override;
    void CloseInput(MidiHandle in_handle) override;
    MMRESULT OpenOutput(MidiHandle in_handle, unsigned in_id) override;
    MMRESULT SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) override;
    void CloseOutput(MidiHandle in_handle) override;

  private:
    MMRESULT DevCaps(bool in_input, unsigned in_id, std::string& out_name);

    struct Impl;
    std::unique_ptr<Impl> m_ptrImpl;
};
