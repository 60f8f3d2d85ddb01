#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "midi/MidiArrival.h"
#include "midi/MidiService.h"
#include "platform/EventLoop.h"

// The setup dialog's test of two devices, apart from the link's own ports: opens
// both, asks for the instrument's memory on a channel, waits for any answer, stops
// a dump that has begun with a reject, and lets both devices go.
class CDeviceProbe {
  public:
    CDeviceProbe(MidiService& in_service, platform::EventLoop& in_loop);
    // Releases the devices of a test still running; its done is not called.
    ~CDeviceProbe();
    CDeviceProbe(const CDeviceProbe&) = delete;
    CDeviceProbe& operator=(const CDeviceProbe&) = delete;

    bool IsRunning() const { return static_cast<bool>(m_ptrProbe); }
    // Sends RQD on in_channel (1 to 16) with buffers of in_bufferSize bytes and calls
    // in_done(true) on the loop thread once an answer came, in_done(false) when a
    // device would not open or nothing came within in_timeout_ms.
    void Start(unsigned in_inDev, unsigned in_outDev, int in_channel, int in_timeout_ms,
               int32_t in_bufferSize, std::function<void(bool)> in_done);
    // A transfer is about to open its ports: a running test ends, unanswered.
    void GiveWay() { Finish(false); }

  private:
    struct Probe;
    void OnArrival(uint64_t in_serial, const MidiArrival& in_arrival);
    void ReleaseDevices();
    void Finish(bool in_ok);

    MidiService& m_Service;
    platform::EventLoop& m_Loop;
    std::unique_ptr<Probe> m_ptrProbe;
    uint64_t m_Serial = 0;
    // Tasks posted to the loop hold a weak reference so none runs after destruction.
    std::shared_ptr<CDeviceProbe*> m_ptrAlive;
};
