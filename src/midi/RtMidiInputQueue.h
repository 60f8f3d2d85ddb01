#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "midi/MidiService.h"
#include "midi/SysExAssembler.h"

// One open input device's side of the service: the queue of buffers the link
// has handed over, the system-exclusive messages that wait for one, and the
// calls of the link's callback. The MIDI library's thread calls Receive; the
// link's thread calls the rest. The callback is never called while the lock is
// held, so it may hand the message over to another thread and return.
class RtMidiInputQueue {
  public:
    // Messages kept while no buffer is queued; one more is dropped.
    static constexpr size_t kMaxWaiting = 64;

    RtMidiInputQueue(MidiHandle in_handle, MidiInCallback in_callback);
    RtMidiInputQueue(const RtMidiInputQueue&) = delete;
    RtMidiInputQueue& operator=(const RtMidiInputQueue&) = delete;

    // Input is delivered from now on; what came before is dropped.
    void Start();
    // Queues in_header (prepared, not queued yet). A message that was waiting is
    // copied into it at once and delivered on the calling thread.
    [[nodiscard]] MMRESULT AddBuffer(MidiHdr& in_header);
    // Takes in_header out of the queue if it is there; true when it was.
    bool Remove(MidiHdr& in_header);
    // No callback runs once this has returned; queued buffers are handed back
    // (done, no longer queued) without a callback, waiting messages are dropped.
    void Close();

    // One chunk as the MIDI library delivered it, on the library's thread.
    void Receive(const uint8_t* in_data, size_t in_size);

    size_t QueuedBuffers() const;
    size_t WaitingMessages() const;
    size_t DroppedMessages() const;

  private:
    struct Delivery {
        MidiInEvent event = MidiInEvent::Data;
        MidiHdr* header = nullptr;
        uint32_t param1 = 0;
    };
    // Copies in_message into in_header; LongError when it does not fit.
    static Delivery Fill(MidiHdr& in_header, const std::vector<uint8_t>& in_message);
    // Calls the callback for in_delivery; in_lock is held on entry and on return
    // but released around the call.
    void Deliver(std::unique_lock<std::mutex>& in_lock, const Delivery& in_delivery);
    uint32_t Timestamp() const;

    const MidiHandle m_Handle;
    const MidiInCallback m_Callback;
    SysExAssembler m_Assembler;  // the library's thread only

    mutable std::mutex m_Mutex;
    std::condition_variable m_Idle;
    bool m_Started = false;
    bool m_Closed = false;
    int m_Delivering = 0;
    std::deque<MidiHdr*> m_Buffers;
    std::deque<std::vector<uint8_t>> m_Waiting;  // non-empty only while no buffer is queued
    size_t m_Dropped = 0;
    std::chrono::steady_clock::time_point m_StartTime;
};
