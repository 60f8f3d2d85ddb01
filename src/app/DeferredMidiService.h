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

    // Every call goes to the service, built by the first one.
    void StartNewApis() override { Get().StartNewApis(); }
    unsigned InGetNumDevs() override { return Get().InGetNumDevs(); }
    unsigned OutGetNumDevs() override { return Get().OutGetNumDevs(); }
    MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) override {
        return Get().InGetDevCaps(in_id, out_name);
    }
    MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) override {
        return Get().OutGetDevCaps(in_id, out_name);
    }
    MMRESULT InOpen(MidiHandle& out_handle, unsigned in_id, MidiInCallback in_callback) override {
        return Get().InOpen(out_handle, in_id, std::move(in_callback));
    }
    MMRESULT InStart(MidiHandle in_handle) override { return Get().InStart(in_handle); }
    MMRESULT InPrepareHeader(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().InPrepareHeader(in_handle, io_header);
    }
    MMRESULT InAddBuffer(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().InAddBuffer(in_handle, io_header);
    }
    MMRESULT InUnprepareHeader(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().InUnprepareHeader(in_handle, io_header);
    }
    MMRESULT InClose(MidiHandle in_handle) override { return Get().InClose(in_handle); }
    MMRESULT OutOpen(MidiHandle& out_handle, unsigned in_id) override {
        return Get().OutOpen(out_handle, in_id);
    }
    MMRESULT OutPrepareHeader(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().OutPrepareHeader(in_handle, io_header);
    }
    MMRESULT OutUnprepareHeader(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().OutUnprepareHeader(in_handle, io_header);
    }
    MMRESULT OutLongMsg(MidiHandle in_handle, MidiHdr& io_header) override {
        return Get().OutLongMsg(in_handle, io_header);
    }
    MMRESULT OutClose(MidiHandle in_handle) override { return Get().OutClose(in_handle); }

    // Whether the service has been built yet.
    bool IsBuilt() const;

  private:
    MidiService& Get();

    Factory m_Factory;
    mutable std::mutex m_Mutex;
    std::unique_ptr<MidiService> m_ptrService;
};
