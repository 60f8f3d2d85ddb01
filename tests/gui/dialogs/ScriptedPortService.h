#pragma once

#include <set>
#include <string>
#include <vector>

#include "midi/MidiService.h"

// A MIDI service with named devices for the setup dialog: any device's query or
// opening can be made to fail. Opened devices take no part in any exchange.
class ScriptedPortService : public MidiService {
  public:
    std::vector<std::string> m_InNames;
    std::vector<std::string> m_OutNames;
    // Pretend counts beyond the names (for a machine with very many devices).
    unsigned m_ExtraDevices = 0;
    std::set<unsigned> m_FailingInQueries;
    std::set<unsigned> m_FailingOutQueries;
    std::set<unsigned> m_FailingInOpens;
    std::set<unsigned> m_FailingOutOpens;
    // What was opened and sent, by device id.
    std::vector<unsigned> m_OpenedIn;
    std::vector<unsigned> m_OpenedOut;
    int m_Sent = 0;
    int m_Open = 0;

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

  private:
    MidiHandle m_NextHandle = 1;
};
