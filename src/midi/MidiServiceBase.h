#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "midi/MidiInputQueue.h"
#include "midi/MidiService.h"

// The rules of the devices and their buffers, kept once for every MIDI service:
// handles, the prepared, queued and done flags, the result codes, and the queue of
// buffers and waiting messages of each open input. A backend adds only its
// transport: listing devices, opening and closing them, sending the bytes of a
// long message, and handing what comes in to the input's queue.
class MidiServiceBase : public MidiService {
  public:
    ~MidiServiceBase() override;

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

  protected:
    using InputQueue = std::shared_ptr<MidiInputQueue>;
    using InputOpener = std::function<MMRESULT(MidiHandle, const InputQueue&)>;
    using OutputOpener = std::function<MMRESULT(MidiHandle)>;

    // The transport, called with no lock of the base held. What an input receives
    // goes to its queue, from any thread, until CloseInput has returned; by then the
    // queue is closed, so nothing more reaches the link.
    virtual MMRESULT OpenInput(MidiHandle in_handle, unsigned in_id,
                               const InputQueue& in_queue) = 0;
    virtual void CloseInput(MidiHandle in_handle) = 0;
    virtual MMRESULT OpenOutput(MidiHandle in_handle, unsigned in_id) = 0;
    // Sends exactly in_size bytes (at least one); a failure is its result code.
    virtual MMRESULT SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) = 0;
    virtual void CloseOutput(MidiHandle in_handle) = 0;

    // Opening through in_open instead of by device id: ports of a backend's own.
    MMRESULT OpenInputWith(MidiHandle& out_handle, MidiInCallback in_callback,
                           const InputOpener& in_open);
    MMRESULT OpenOutputWith(MidiHandle& out_handle, const OutputOpener& in_open);
    // Closes every device still open, through the transport. A backend calls it
    // first in its destructor, while its transport still stands.
    void CloseAll();

  private:
    InputQueue FindInput(MidiHandle in_handle) const;
    bool IsOutput(MidiHandle in_handle) const;

    mutable std::mutex m_Mutex;
    std::map<MidiHandle, InputQueue> m_Inputs;
    std::set<MidiHandle> m_Outputs;
    MidiHandle m_NextHandle = 1;
};
