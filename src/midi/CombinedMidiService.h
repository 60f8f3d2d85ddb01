#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midi/MidiService.h"

// Several services as one: the devices of each part are listed after those of the
// part before (real ports first, the virtual instrument last). Handles are mapped
// so that each call reaches the part that opened the device.
class CombinedMidiService : public MidiService {
  public:
    // Over parts owned elsewhere.
    explicit CombinedMidiService(std::vector<MidiService*> in_parts);
    using PartsMaker = std::function<std::vector<std::unique_ptr<MidiService>>()>;
    // Over parts of its own, made by in_make on the first call that needs them: listing
    // the system's ports takes a while, and a program puts that off until its window shows.
    explicit CombinedMidiService(PartsMaker in_make);
    ~CombinedMidiService() override;
    bool PartsMade() const { return m_PartsMade; }

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

  private:
    struct Route {
        MidiService* part = nullptr;
        MidiHandle handle = kNoMidiHandle;
    };
    // The part holding device in_id of the combined list, and its own id there.
    MidiService* FindPart(bool in_input, unsigned in_id, unsigned& out_localId);
    bool FindRoute(MidiHandle in_handle, Route& out_route);
    // Calls in_call with the part and its own handle, or fails with an invalid handle.
    template <typename Call>
    MMRESULT Routed(MidiHandle in_handle, Call in_call) {
        Route route;
        if (!FindRoute(in_handle, route)) {
            return MMSYSERR_INVALHANDLE;
        }
        return in_call(*route.part, route.handle);
    }

    const std::vector<MidiService*>& Parts();

    PartsMaker m_MakeParts;
    std::once_flag m_MakeOnce;
    std::atomic<bool> m_PartsMade{false};
    std::vector<std::unique_ptr<MidiService>> m_OwnParts;
    std::vector<MidiService*> m_Parts;
    std::mutex m_Mutex;
    std::map<MidiHandle, Route> m_Routes;
    MidiHandle m_NextHandle = 1;
};
