#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "midi/MidiService.h"

// Several services as one: the devices of each part are listed after those of the
// part before (real ports first, the virtual instrument last). Handles are mapped
// so that each call reaches the part that opened the device. Parts are not owned.
class CombinedMidiService : public MidiService {
  public:
    explicit CombinedMidiService(std::vector<MidiService*> in_parts);

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

    std::vector<MidiService*> m_Parts;
    std::mutex m_Mutex;
    std::map<MidiHandle, Route> m_Routes;
    MidiHandle m_NextHandle = 1;
};
