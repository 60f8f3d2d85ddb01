#pragma once

#include <set>
#include <string>
#include <vector>

#include "midi/MidiServiceBase.h"

// A MIDI service with named devices for the setup dialog: any device's query or
// opening can be made to fail. Opened devices take no part in any exchange.
class ScriptedPortService : public MidiServiceBase {
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
    ~ScriptedPortService() override { CloseAll(); }

  protected:
    MMRESULT OpenInput(MidiHandle in_handle, unsigned in_id, const InputQueue& in_queue) override;
    void CloseInput(MidiHandle) override { --m_Open; }
    MMRESULT OpenOutput(MidiHandle in_handle, unsigned in_id) override;
    MMRESULT SendLong(MidiHandle, const uint8_t*, size_t) override {
        ++m_Sent;
        return MMSYSERR_NOERROR;
    }
    void CloseOutput(MidiHandle) override { --m_Open; }
};
