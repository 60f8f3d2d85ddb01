#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiService.h"

// The platform's MIDI ports through RtMidi: every RtMidi API that starts on this
// machine (ALSA, JACK, CoreMIDI, WinMM), the ports of the first API first. No
// RtMidi exception leaves this class: each becomes a result code.
class RtMidiService : public MidiService {
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

    // Ports of our own that other programs connect to, named in_portName, on the
    // first API (not every API has them: WinMM does not). Used and released
    // like the devices opened above.
    [[nodiscard]] MMRESULT InOpenVirtual(MidiHandle& out_handle, const std::string& in_portName,
                                         MidiInCallback in_callback);
    [[nodiscard]] MMRESULT OutOpenVirtual(MidiHandle& out_handle, const std::string& in_portName);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_ptrImpl;
};
