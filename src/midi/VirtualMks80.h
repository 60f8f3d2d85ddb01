#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiServiceBase.h"
#include "midi/Mks80Engine.h"

// A built-in MKS-80: one input and one output device, both named "Virtual MKS-80",
// answering the handshake bulk dump as the hardware does. With answerMs == 0 and no
// wire time it answers at once, from within OutLongMsg; otherwise on a thread of its own.
// Its transport is the instrument itself: what it is sent goes to the engine, what
// the engine answers comes in, after the wire time where that is asked for.
class VirtualMks80 : public MidiServiceBase {
  public:
    static constexpr const char* kDeviceName = "Virtual MKS-80";
    // The wire time of one byte at 31 250 baud, in microseconds.
    static constexpr int kByteMicros = 320;

    VirtualMks80(Mks80Options in_options, std::string in_memoryPath);
    ~VirtualMks80() override;

    unsigned InGetNumDevs() override { return 1; }
    unsigned OutGetNumDevs() override { return 1; }
    MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) override;
    MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) override;

    // The instrument itself. Lock() while touching it when answers run on a thread.
    Mks80Engine& Engine() { return m_Engine; }
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_Mutex); }

  protected:
    MMRESULT OpenInput(MidiHandle in_handle, unsigned in_id, const InputQueue& in_queue) override;
    void CloseInput(MidiHandle in_handle) override;
    MMRESULT OpenOutput(MidiHandle in_handle, unsigned in_id) override;
    MMRESULT SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) override;
    void CloseOutput(MidiHandle in_handle) override;

  private:
    struct Pending {
        std::vector<uint8_t> bytes;
        int64_t dueUs = 0;  // steady-clock microseconds; 0 at once
    };

    bool Threaded() const;
    // Takes device in_id for in_handle when io_slot is free.
    static MMRESULT Claim(unsigned in_id, MidiHandle& io_slot, MidiHandle in_handle);
    // Hands over what is due; takes in_lock (on m_Mutex) and leaves it released.
    void DeliverDue(std::unique_lock<std::mutex>& in_lock, int64_t in_nowUs);
    void DeliveryThread();
    static int64_t NowUs();

    Mks80Engine m_Engine;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    InputQueue m_Input;
    MidiHandle m_InHandle = kNoMidiHandle;
    MidiHandle m_OutHandle = kNoMidiHandle;
    std::deque<Pending> m_Pending;
    int64_t m_InWireFreeUs = 0;   // when the wire into the instrument is free again
    int64_t m_OutWireFreeUs = 0;  // when the wire out of it is free again
    bool m_Stop = false;
    std::thread m_Thread;
};
