#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The operating system's MIDI service as the MIDI link sees it. Every call returns
// a result code with the numeric values of the classic multimedia MIDI API, so the
// link's messages are the same on every platform.
using MMRESULT = uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68;
constexpr MMRESULT MIDIERR_BADOPENMODE = 70;

// Buffer header flags.
constexpr uint32_t MHDR_DONE = 0x1;
constexpr uint32_t MHDR_PREPARED = 0x2;
constexpr uint32_t MHDR_INQUEUE = 0x4;
constexpr uint32_t MHDR_ISSTRM = 0x8;

// Input events, as the input callback receives them.
enum class MidiInEvent { Open, Close, Data, LongData, Error, LongError, MoreData };

// A system-exclusive buffer: a data area and what the service recorded in it.
struct MidiHdr {
    std::vector<uint8_t> data;   // the data area; its size is the buffer length
    uint32_t bytesRecorded = 0;  // input: bytes of the message that arrived
    uint32_t bufferLength = 0;   // output: bytes the next send transmits
    uint32_t flags = 0;

    // A fresh data area of in_size zero bytes, nothing recorded, no flags.
    void Renew(size_t in_size) {
        data.assign(in_size, 0);
        bufferLength = static_cast<uint32_t>(in_size);
        flags = 0;
        bytesRecorded = 0;
    }
};

using MidiHandle = uint32_t;
constexpr MidiHandle kNoMidiHandle = 0;

// Called on the service's own thread. For LongData and LongError in_header is the
// queued buffer that was filled (and is no longer queued); for Data in_param1 holds
// the short message (status in the low byte). The callee must not call back into
// the service from here.
using MidiInCallback =
    std::function<void(MidiHandle in_handle, MidiInEvent in_event, MidiHdr* in_header,
                       uint32_t in_param1, uint32_t in_param2)>;

class MidiService {
  public:
    virtual ~MidiService() = default;

    // Starts the MIDI systems that were not running when the service began (a JACK
    // server started later), so that the next listing shows their devices.
    virtual void StartNewApis() {}

    virtual unsigned InGetNumDevs() = 0;
    virtual unsigned OutGetNumDevs() = 0;
    // The device's name (at most 31 characters), or an error code.
    virtual MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) = 0;
    virtual MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) = 0;

    virtual MMRESULT InOpen(MidiHandle& out_handle, unsigned in_id, MidiInCallback in_callback) = 0;
    virtual MMRESULT InStart(MidiHandle in_handle) = 0;
    virtual MMRESULT InPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) = 0;
    // Queues the buffer. A complete system-exclusive message is delivered (LongData)
    // only while a buffer is queued; each delivery uses one buffer up. A message
    // that arrives while none is queued waits in the service until one is.
    virtual MMRESULT InAddBuffer(MidiHandle in_handle, MidiHdr& in_header) = 0;
    virtual MMRESULT InUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) = 0;
    // Releases the input device: no callback runs once it has returned.
    virtual MMRESULT InClose(MidiHandle in_handle) = 0;

    virtual MMRESULT OutOpen(MidiHandle& out_handle, unsigned in_id) = 0;
    virtual MMRESULT OutPrepareHeader(MidiHandle in_handle, MidiHdr& in_header) = 0;
    virtual MMRESULT OutUnprepareHeader(MidiHandle in_handle, MidiHdr& in_header) = 0;
    // Sends exactly in_header.bufferLength bytes from the start of its data area.
    virtual MMRESULT OutLongMsg(MidiHandle in_handle, MidiHdr& in_header) = 0;
    virtual MMRESULT OutClose(MidiHandle in_handle) = 0;
};
