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

// One open input device's side of a MIDI service: the queue of buffers the link
// has handed over, the system-exclusive messages that wait for one, and the calls
// of the link's callback. The transport's thread hands messages in; the link's
// thread queues buffers. The callback is never called while the lock is held, so
// it may hand the message over to another thread and return.
class MidiInputQueue {
  public:
    // Messages kept while no buffer is queued; one more is dropped.
    static constexpr size_t kMaxWaiting = 64;

    MidiInputQueue(MidiHandle in_handle, MidiInCallback in_callback);
    MidiInputQueue(const MidiInputQueue&) = delete;
    MidiInputQueue& operator=(const MidiInputQueue&) = delete;

    // Input is delivered from now on; what came before is dropped.
    void Start();
    // Queues in_header (prepared, not queued yet). A message that was waiting is
    // copied into it at once and delivered on the calling thread.
    [[nodiscard]] MMRESULT AddBuffer(MidiHdr& in_header);
    bool IsQueued(const MidiHdr& in_header) const;
    // No callback runs once this has returned; queued buffers are handed back
    // (done, no longer queued) without a callback, waiting messages are dropped.
    void Close();

    // What the transport hands in, on its own thread.
    // One chunk as a MIDI library delivers it: a system-exclusive message may come
    // in pieces (WinMM), and is put together first.
    void Receive(const uint8_t* in_data, size_t in_size);
    // One whole message: system exclusive when it begins with F0H, else a short
    // message. True when it reached the callback now (not waiting for a buffer).
    bool ReceiveMessage(std::vector<uint8_t> in_message);
    // A short message packed as the callback gets it (status in the low byte).
    bool ReceiveShort(uint32_t in_packed);
    // A system-exclusive message that broke off: handed over as a long error in the
    // next buffer, when one is queued and no message waits; otherwise it is lost.
    bool ReceiveBroken(const std::vector<uint8_t>& in_partial);

    size_t QueuedBuffers() const;
    size_t WaitingMessages() const;
    size_t DroppedMessages() const;

  private:
    struct Delivery {
        MidiInEvent event = MidiInEvent::Data;
        MidiHdr* header = nullptr;
        uint32_t param1 = 0;
    };
    // With the lock held: hands in_message to the next buffer, or lets it wait.
    bool Take(std::unique_lock<std::mutex>& in_lock, std::vector<uint8_t> in_message);
    // Copies in_message into in_header; LongError when it does not fit or in_broken.
    static Delivery Fill(MidiHdr& in_header, const std::vector<uint8_t>& in_message,
                         bool in_broken = false);
    // Calls the callback for in_delivery; in_lock is held on entry and on return
    // but released around the call.
    void Deliver(std::unique_lock<std::mutex>& in_lock, const Delivery& in_delivery);
    uint32_t Timestamp() const;

    const MidiHandle m_Handle;
    const MidiInCallback m_Callback;
    SysExAssembler m_Assembler;  // the transport's thread only

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
