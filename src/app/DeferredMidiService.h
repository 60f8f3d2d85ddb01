#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "midi/MidiService.h"

// A MIDI service built on first use. Listing the system's MIDI ports takes a while;
// the program puts that off until the first bank window is on the screen.
class DeferredMidiService : public MidiService {
  public:
    using Factory = std::function<std::unique_ptr<MidiService>()>;
    explicit DeferredMidiService(Factory in_factory);
    ~DeferredMidiService() override;

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

    // Whether the service has been built yet.
    bool IsBuilt() const;

  private:
    MidiService& Get();

    Factory m_Factory;
    mutable std::mutex m_Mutex;
    std::unique_ptr<MidiService> m_ptrService;
};
