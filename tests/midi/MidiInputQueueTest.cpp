#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "midi/MidiInputQueue.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Event {
    MidiInEvent event;
    MidiHdr* header;
    Bytes bytes;
    uint32_t param1;
    std::thread::id thread;
};

// Keeps what the callback was given, as the link would: a copy of the bytes.
struct Recorder {
    std::mutex mutex;
    std::vector<Event> events;

    MidiInCallback Callback() {
        return [this](MidiHandle, MidiInEvent in_event, MidiHdr* in_header, uint32_t in_param1,
                      uint32_t) {
            Event event{in_event, in_header, {}, in_param1, std::this_thread::get_id()};
            if (in_header != nullptr) {
                event.bytes.assign(in_header->data.begin(),
                                   in_header->data.begin() + in_header->bytesRecorded);
            }
            std::lock_guard<std::mutex> lock(mutex);
            events.push_back(event);
        };
    }
    std::vector<Event> Events() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
};

MidiHdr Buffer(size_t in_size = 1000) {
    MidiHdr header;
    header.data.assign(in_size, 0);
    header.bufferLength = static_cast<uint32_t>(in_size);
    header.flags = MHDR_PREPARED;
    return header;
}

Bytes SysEx(uint8_t in_tag, size_t in_size = 6) {
    Bytes message(in_size, in_tag);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

void Send(MidiInputQueue& in_queue, const Bytes& in_bytes) {
    in_queue.Receive(in_bytes.data(), in_bytes.size());
}

TEST(MidiInputQueue, CompleteMessagesFillTheQueuedBuffersInOrder) {
    Recorder recorder;
    MidiInputQueue queue(7, recorder.Callback());
    queue.Start();
    MidiHdr first = Buffer();
    MidiHdr second = Buffer();
    ASSERT_EQ(queue.AddBuffer(first), MMSYSERR_NOERROR);
    ASSERT_EQ(queue.AddBuffer(second), MMSYSERR_NOERROR);
    EXPECT_EQ(first.flags & MHDR_INQUEUE, MHDR_INQUEUE);

    const Bytes data = SysEx(0x22, 255);
    Send(queue, data);
    Send(queue, SysEx(0x33));

    const std::vector<Event> events = recorder.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event, MidiInEvent::LongData);
    EXPECT_EQ(events[0].header, &first);
    EXPECT_EQ(events[0].bytes, data);
    EXPECT_EQ(first.bytesRecorded, 255u);
    EXPECT_EQ(first.flags, MHDR_PREPARED | MHDR_DONE);
    EXPECT_EQ(events[1].header, &second);
    EXPECT_EQ(events[1].bytes, SysEx(0x33));
    EXPECT_EQ(queue.QueuedBuffers(), 0u);
}

TEST(MidiInputQueue, AMessageWithNoBufferWaitsAndIsDeliveredByTheNextAddBuffer) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    queue.Start();
    Send(queue, SysEx(0x01));
    Send(queue, SysEx(0x02));
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_EQ(queue.WaitingMessages(), 2u);

    // A third message while one waits keeps its place behind it, buffer or not.
    MidiHdr a = Buffer();
    ASSERT_EQ(queue.AddBuffer(a), MMSYSERR_NOERROR);
    Send(queue, SysEx(0x03));
    MidiHdr b = Buffer();
    MidiHdr c = Buffer();
    ASSERT_EQ(queue.AddBuffer(b), MMSYSERR_NOERROR);
    ASSERT_EQ(queue.AddBuffer(c), MMSYSERR_NOERROR);

    const std::vector<Event> events = recorder.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].bytes, SysEx(0x01));
    EXPECT_EQ(events[1].bytes, SysEx(0x02));
    EXPECT_EQ(events[2].bytes, SysEx(0x03));
    EXPECT_EQ(events[0].header, &a);
    EXPECT_EQ(events[0].thread, std::this_thread::get_id());
    EXPECT_EQ(a.flags & MHDR_INQUEUE, 0u);
    EXPECT_EQ(queue.QueuedBuffers(), 0u);
}

TEST(MidiInputQueue, TheWaitingRoomIsBounded) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    queue.Start();
    for (size_t i = 0; i < MidiInputQueue::kMaxWaiting + 6; ++i) {
        Send(queue, SysEx(static_cast<uint8_t>(i)));
    }
    EXPECT_EQ(queue.WaitingMessages(), MidiInputQueue::kMaxWaiting);
    EXPECT_EQ(queue.DroppedMessages(), 6u);
    MidiHdr header = Buffer();
    ASSERT_EQ(queue.AddBuffer(header), MMSYSERR_NOERROR);
    ASSERT_EQ(recorder.Events().size(), 1u);
    EXPECT_EQ(recorder.Events()[0].bytes, SysEx(0));
}

TEST(MidiInputQueue, AMessageLongerThanTheBufferIsALongErrorWithWhatFits) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    queue.Start();
    MidiHdr small = Buffer(100);
    ASSERT_EQ(queue.AddBuffer(small), MMSYSERR_NOERROR);
    const Bytes data = SysEx(0x44, 255);
    Send(queue, data);
    const std::vector<Event> events = recorder.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, MidiInEvent::LongError);
    EXPECT_EQ(small.bytesRecorded, 100u);
    EXPECT_EQ(events[0].bytes, Bytes(data.begin(), data.begin() + 100));
}

TEST(MidiInputQueue, ShortMessagesArePackedAndNeedNoBuffer) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    queue.Start();
    Send(queue, {0xFE});
    Send(queue, {0x90, 0x40, 0x7F});
    // A message sent in pieces reaches the buffer whole.
    MidiHdr header = Buffer();
    ASSERT_EQ(queue.AddBuffer(header), MMSYSERR_NOERROR);
    Send(queue, {0xF0, 0x41, 0x42});
    Send(queue, {0x00, 0x20, 0xF7});
    const std::vector<Event> events = recorder.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].event, MidiInEvent::Data);
    EXPECT_EQ(events[0].param1, 0xFEu);
    EXPECT_EQ(events[0].header, nullptr);
    EXPECT_EQ(events[1].param1, 0x7F4090u);
    EXPECT_EQ(events[2].event, MidiInEvent::LongData);
    EXPECT_EQ(events[2].bytes, (Bytes{0xF0, 0x41, 0x42, 0x00, 0x20, 0xF7}));
}

TEST(MidiInputQueue, BuffersMustBePreparedQueuedOnceAndHaveRoom) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    MidiHdr unprepared = Buffer();
    unprepared.flags = 0;
    EXPECT_EQ(queue.AddBuffer(unprepared), MIDIERR_UNPREPARED);
    MidiHdr empty = Buffer(0);
    EXPECT_EQ(queue.AddBuffer(empty), MMSYSERR_INVALPARAM);
    MidiHdr header = Buffer();
    ASSERT_EQ(queue.AddBuffer(header), MMSYSERR_NOERROR);
    EXPECT_EQ(queue.AddBuffer(header), MIDIERR_STILLPLAYING);
    EXPECT_TRUE(queue.IsQueued(header));
    queue.Close();
    EXPECT_FALSE(queue.IsQueued(header));
    EXPECT_EQ(header.flags & MHDR_INQUEUE, 0u);
}

TEST(MidiInputQueue, NothingIsDeliveredBeforeStartOrAfterClose) {
    Recorder recorder;
    MidiInputQueue queue(1, recorder.Callback());
    MidiHdr header = Buffer();
    ASSERT_EQ(queue.AddBuffer(header), MMSYSERR_NOERROR);
    Send(queue, SysEx(0x01));
    Send(queue, {0xFE});
    EXPECT_TRUE(recorder.Events().empty());
    queue.Start();
    queue.Close();
    // The queued buffer is handed back, and nothing arrives any more.
    EXPECT_EQ(header.flags & MHDR_INQUEUE, 0u);
    EXPECT_EQ(queue.QueuedBuffers(), 0u);
    Send(queue, SysEx(0x02));
    Send(queue, {0xFE});
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_EQ(queue.AddBuffer(header), MMSYSERR_INVALHANDLE);
}

TEST(MidiInputQueue, CloseWaitsForACallbackRunningOnTheInputThread) {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool release = false;
    std::atomic<bool> finished{false};
    MidiInputQueue queue(1, [&](MidiHandle, MidiInEvent, MidiHdr*, uint32_t, uint32_t) {
        std::unique_lock<std::mutex> lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        finished = true;
    });
    queue.Start();
    std::thread input([&] { Send(queue, {0xFE}); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    std::thread closer([&] {
        queue.Close();
        EXPECT_TRUE(finished.load());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(finished.load());
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    changed.notify_all();
    closer.join();
    input.join();
}

TEST(MidiInputQueue, AThrowingCallbackDoesNotEscapeOrStopLaterDeliveries) {
    int calls = 0;
    MidiInputQueue queue(1, [&](MidiHandle, MidiInEvent, MidiHdr*, uint32_t, uint32_t) {
        ++calls;
        throw std::runtime_error("link fault");
    });
    queue.Start();
    EXPECT_NO_THROW(Send(queue, {0xFE}));
    EXPECT_NO_THROW(Send(queue, {0xFE}));
    EXPECT_EQ(calls, 2);
    queue.Close();  // must not wait for deliveries that already ended
}

}  // namespace
