#include <RtMidi.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/RtMidiService.h"

extern char** environ;

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// RtMidi's JACK objects free their buffers while the server may still run their
// port's cycle: a test's own port is closed first and given the cycles to pass
// before the object goes, as the service does with its own.
template <class Midi>
struct CloseThenDelete {
    void operator()(Midi* in_midi) const {
        in_midi->closePort();
        std::this_thread::sleep_for(300ms);
        delete in_midi;
    }
};
template <class Midi>
using JackMidi = std::unique_ptr<Midi, CloseThenDelete<Midi>>;
template <class Midi>
JackMidi<Midi> MakeJackMidi() {
    return JackMidi<Midi>(new Midi(RtMidi::UNIX_JACK, "quorlin-test"));
}

// A JACK server of the test's own with the dummy driver, under a name no other
// run uses, so the tests need no sound hardware and disturb no one.
class JackServer {
  public:
    bool Start(std::string& out_reason) {
        m_Name = "quorlin-rtmidi-test-" + std::to_string(::getpid());
        m_Log = testing::TempDir() + m_Name + ".log";
        ::setenv("JACK_DEFAULT_SERVER", m_Name.c_str(), 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_Log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        // Synchronous (-S): a client the loaded machine runs late delays the cycle
        // instead of losing its MIDI.
        const char* argv[] = {"jackd", "--no-realtime", "-S", "-t",  "10000", "-d", "dummy",
                              "-r",    "48000",         "-p", "256", nullptr};
        const int failed = posix_spawnp(&m_Pid, "jackd", &actions, nullptr,
                                        const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            m_Pid = -1;
            out_reason = "jackd is not installed (JACK's jackd2 package), so no MIDI server";
            return false;
        }
        for (int attempt = 0; attempt < 300; ++attempt) {
            int status = 0;
            if (::waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
                m_Pid = -1;
                out_reason = "jackd ended at once: " + LogText();
                return false;
            }
            if (!RtMidiService("jack", "quorlin-probe").ApiNames().empty()) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        out_reason = "jackd did not come up within 30 s: " + LogText();
        Stop();
        return false;
    }
    void Stop() {
        if (m_Pid > 0) {
            ::kill(m_Pid, SIGTERM);
            int status = 0;
            ::waitpid(m_Pid, &status, 0);
            m_Pid = -1;
        }
    }
    ~JackServer() { Stop(); }

  private:
    std::string LogText() const {
        std::ifstream in(m_Log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    pid_t m_Pid = -1;
    std::string m_Name;
    std::string m_Log;
};

struct Event {
    MidiInEvent event;
    MidiHdr* header;
    Bytes bytes;
    uint32_t param1;
    std::thread::id thread;
};

class Recorder {
  public:
    MidiInCallback Callback() {
        return [this](MidiHandle, MidiInEvent in_event, MidiHdr* in_header, uint32_t in_param1,
                      uint32_t) {
            Event event{in_event, in_header, {}, in_param1, std::this_thread::get_id()};
            if (in_header != nullptr) {
                event.bytes.assign(in_header->data.begin(),
                                   in_header->data.begin() + in_header->bytesRecorded);
            }
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Events.push_back(event);
            m_Changed.notify_all();
        };
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Events.clear();
    }
    // Waits until a short message with status byte in_status has come; true if it did.
    bool WaitForStatus(uint8_t in_status) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, 30000ms, [&] {
            return std::any_of(m_Events.begin(), m_Events.end(), [&](const Event& in_event) {
                return in_event.event == MidiInEvent::Data && (in_event.param1 & 0xFF) == in_status;
            });
        });
    }
    // The events so far once there are in_count of them, or after a timeout.
    std::vector<Event> WaitFor(size_t in_count, std::chrono::milliseconds in_timeout = 30000ms) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Changed.wait_for(lock, in_timeout, [&] { return m_Events.size() >= in_count; });
        return m_Events;
    }

  private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Event> m_Events;
};

MidiHdr Buffer(size_t in_size = 1000) {
    MidiHdr header;
    header.data.assign(in_size, 0);
    header.bufferLength = static_cast<uint32_t>(in_size);
    return header;
}

Bytes DataMessage() {
    Bytes message(255);
    for (size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<uint8_t>(i % 128);
    }
    message[0] = 0xF0;
    message[1] = 0x41;
    message[2] = 0x42;
    message[254] = 0xF7;
    return message;
}

// The device id whose name contains in_part, or -1.
int FindDevice(MidiService& in_service, bool in_input, const std::string& in_part) {
    const unsigned count = in_input ? in_service.InGetNumDevs() : in_service.OutGetNumDevs();
    for (unsigned id = 0; id < count; ++id) {
        std::string name;
        const MMRESULT result =
            in_input ? in_service.InGetDevCaps(id, name) : in_service.OutGetDevCaps(id, name);
        if (result == MMSYSERR_NOERROR && name.find(in_part) != std::string::npos) {
            return static_cast<int>(id);
        }
    }
    return -1;
}

class RtMidiServiceOverJack : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_Server = std::make_unique<JackServer>();
        if (!s_Server->Start(s_Reason)) {
            s_Server.reset();
        }
    }
    static void TearDownTestSuite() { s_Server.reset(); }

    void SetUp() override {
        if (!s_Server) {
            GTEST_SKIP() << s_Reason;
        }
        m_Sender = MakeJackMidi<RtMidiOut>();
        m_Sender->openVirtualPort("MKS-80 sender");
        m_Service = std::make_unique<RtMidiService>("jack");
    }
    void TearDown() override {
        m_Service.reset();
        m_Sender.reset();
    }

    // Opens and starts the service's input on the sender's port.
    MidiHandle OpenInput(Recorder& in_recorder) {
        const int id = FindDevice(*m_Service, true, "MKS-80 sender");
        EXPECT_GE(id, 0) << "the sender's port is not listed";
        MidiHandle handle = kNoMidiHandle;
        EXPECT_EQ(m_Service->InOpen(handle, static_cast<unsigned>(id), in_recorder.Callback()),
                  MMSYSERR_NOERROR);
        EXPECT_EQ(m_Service->InStart(handle), MMSYSERR_NOERROR);
        // The server makes the connection between two of its cycles, later on a
        // loaded machine: active sensing goes through once it is made. What the
        // test sends after that is all the recorder holds.
        bool connected = false;
        for (int attempt = 0; attempt < 600 && !connected; ++attempt) {
            Send({0xFE});
            connected = !in_recorder.WaitFor(1, 50ms).empty();
        }
        EXPECT_TRUE(connected) << "the sender's port was never connected";
        // Active sensing of the earlier attempts may still be on its way; a message
        // sent last comes after all of it.
        Send({0xC0, 0x05});
        EXPECT_TRUE(in_recorder.WaitForStatus(0xC0));
        in_recorder.Clear();
        return handle;
    }
    void Send(const Bytes& in_message) {
        m_Sender->sendMessage(in_message.data(), in_message.size());
    }

    static std::unique_ptr<JackServer> s_Server;
    static std::string s_Reason;
    JackMidi<RtMidiOut> m_Sender;
    std::unique_ptr<RtMidiService> m_Service;
};

std::unique_ptr<JackServer> RtMidiServiceOverJack::s_Server;
std::string RtMidiServiceOverJack::s_Reason;

TEST_F(RtMidiServiceOverJack, ASystemExclusiveMessageArrivesWholeInTheQueuedBuffer) {
    Recorder recorder;
    const MidiHandle handle = OpenInput(recorder);
    MidiHdr header = Buffer();
    ASSERT_EQ(m_Service->InPrepareHeader(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(m_Service->InAddBuffer(handle, header), MMSYSERR_NOERROR);
    Send(DataMessage());

    const std::vector<Event> events = recorder.WaitFor(1);
    ASSERT_EQ(events.size(), 1u) << "RtMidi delivered no system-exclusive message";
    EXPECT_EQ(events[0].event, MidiInEvent::LongData);
    EXPECT_EQ(events[0].header, &header);
    EXPECT_EQ(header.bytesRecorded, 255u);
    EXPECT_EQ(events[0].bytes, DataMessage());
    EXPECT_EQ(header.flags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
    EXPECT_EQ(m_Service->InClose(handle), MMSYSERR_NOERROR);
}

TEST_F(RtMidiServiceOverJack, PiecesArriveAsOneMessageAndActiveSensingAsAShortOne) {
    Recorder recorder;
    const MidiHandle handle = OpenInput(recorder);
    MidiHdr header = Buffer();
    ASSERT_EQ(m_Service->InPrepareHeader(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(m_Service->InAddBuffer(handle, header), MMSYSERR_NOERROR);
    const Bytes whole = DataMessage();
    Send(Bytes(whole.begin(), whole.begin() + 100));
    Send(Bytes(whole.begin() + 100, whole.end()));
    Send({0xFE});

    const std::vector<Event> events = recorder.WaitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event, MidiInEvent::LongData);
    EXPECT_EQ(events[0].bytes, whole);
    EXPECT_EQ(events[1].event, MidiInEvent::Data);
    EXPECT_EQ(events[1].param1, 0xFEu);
}

TEST_F(RtMidiServiceOverJack, AMessageWithNoBufferQueuedWaitsForInAddBuffer) {
    Recorder recorder;
    const MidiHandle handle = OpenInput(recorder);
    Send(DataMessage());
    // Active sensing sent right behind it is delivered at once: once it is here, so is
    // the long message, however loaded the machine, and that one waits for a buffer.
    Send({0xFE});
    const std::vector<Event> before = recorder.WaitFor(1);
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].event, MidiInEvent::Data);
    recorder.Clear();

    MidiHdr header = Buffer();
    ASSERT_EQ(m_Service->InPrepareHeader(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(m_Service->InAddBuffer(handle, header), MMSYSERR_NOERROR);
    const std::vector<Event> events = recorder.WaitFor(1, 0ms);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes, DataMessage());
    EXPECT_EQ(events[0].thread, std::this_thread::get_id());
}

TEST_F(RtMidiServiceOverJack, NoCallbackRunsAfterInClose) {
    Recorder recorder;
    const MidiHandle handle = OpenInput(recorder);
    MidiHdr header = Buffer();
    ASSERT_EQ(m_Service->InPrepareHeader(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(m_Service->InAddBuffer(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(m_Service->InClose(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(header.flags & MHDR_INQUEUE, 0u);
    Send(DataMessage());
    Send({0xFE});
    EXPECT_TRUE(recorder.WaitFor(1, 300ms).empty());
    EXPECT_EQ(m_Service->InAddBuffer(handle, header), MMSYSERR_INVALHANDLE);
}

TEST_F(RtMidiServiceOverJack, OutLongMsgSendsExactlyTheBufferLength) {
    auto receiver = MakeJackMidi<RtMidiIn>();
    receiver->ignoreTypes(false, true, true);
    receiver->openVirtualPort("MKS-80 receiver");
    RtMidiService service("jack");
    const int id = FindDevice(service, false, "MKS-80 receiver");
    ASSERT_GE(id, 0);
    MidiHandle handle = kNoMidiHandle;
    // No pause: the open returns once the connection is in use, so nothing sent is lost.
    ASSERT_EQ(service.OutOpen(handle, static_cast<unsigned>(id)), MMSYSERR_NOERROR);

    MidiHdr header = Buffer();
    const Bytes ack = {0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7};
    std::copy(ack.begin(), ack.end(), header.data.begin());
    header.bufferLength = static_cast<uint32_t>(ack.size());
    ASSERT_EQ(service.OutPrepareHeader(handle, header), MMSYSERR_NOERROR);
    ASSERT_EQ(service.OutLongMsg(handle, header), MMSYSERR_NOERROR);

    std::vector<unsigned char> got;
    for (int i = 0; i < 3000 && got.empty(); ++i) {
        receiver->getMessage(&got);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(Bytes(got.begin(), got.end()), ack);
    EXPECT_EQ(service.OutClose(handle), MMSYSERR_NOERROR);
}

TEST_F(RtMidiServiceOverJack, FailuresComeBackAsResultCodes) {
    const unsigned ins = m_Service->InGetNumDevs();
    const unsigned outs = m_Service->OutGetNumDevs();
    std::string name;
    MidiHandle handle = kNoMidiHandle;
    EXPECT_EQ(m_Service->InGetDevCaps(ins, name), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(m_Service->OutGetDevCaps(outs + 3, name), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(m_Service->InOpen(handle, ins + 5, Recorder().Callback()), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(m_Service->OutOpen(handle, outs), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(handle, kNoMidiHandle);

    MidiHdr header = Buffer();
    EXPECT_EQ(m_Service->InStart(42), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(m_Service->InAddBuffer(42, header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(m_Service->OutLongMsg(42, header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(m_Service->OutClose(42), MMSYSERR_INVALHANDLE);

    // An input handle is no output handle.
    Recorder recorder;
    const MidiHandle input = OpenInput(recorder);
    EXPECT_EQ(m_Service->OutLongMsg(input, header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(m_Service->InAddBuffer(input, header), MIDIERR_UNPREPARED);

    auto receiver = MakeJackMidi<RtMidiIn>();
    receiver->openVirtualPort("MKS-80 receiver");
    const int id = FindDevice(*m_Service, false, "MKS-80 receiver");
    ASSERT_GE(id, 0);
    MidiHandle output = kNoMidiHandle;
    ASSERT_EQ(m_Service->OutOpen(output, static_cast<unsigned>(id)), MMSYSERR_NOERROR);
    EXPECT_EQ(m_Service->OutLongMsg(output, header), MIDIERR_UNPREPARED);
    ASSERT_EQ(m_Service->OutPrepareHeader(output, header), MMSYSERR_NOERROR);
    header.bufferLength = 0;
    EXPECT_EQ(m_Service->OutLongMsg(output, header), MMSYSERR_INVALPARAM);
    header.bufferLength = static_cast<uint32_t>(header.data.size() + 1);
    EXPECT_EQ(m_Service->OutLongMsg(output, header), MMSYSERR_INVALPARAM);
}

TEST_F(RtMidiServiceOverJack, NamesAreCutTo31Characters) {
    auto longName = MakeJackMidi<RtMidiOut>();
    longName->openVirtualPort("MKS-80 with a name far too long for the list");
    auto lister = MakeJackMidi<RtMidiIn>();
    std::string full;
    for (unsigned i = 0; i < lister->getPortCount(); ++i) {
        if (lister->getPortName(i).find("MKS-80 with a name") != std::string::npos) {
            full = lister->getPortName(i);
        }
    }
    ASSERT_GT(full.size(), 31u);
    RtMidiService service("jack");
    const int id = FindDevice(service, true, "MKS-80 with");
    ASSERT_GE(id, 0);
    std::string name;
    ASSERT_EQ(service.InGetDevCaps(static_cast<unsigned>(id), name), MMSYSERR_NOERROR);
    EXPECT_EQ(name, full.substr(0, 31));
    for (unsigned i = 0; i < service.InGetNumDevs(); ++i) {
        ASSERT_EQ(service.InGetDevCaps(i, name), MMSYSERR_NOERROR);
        EXPECT_LE(name.size(), 31u) << name;
    }
}

std::vector<std::string> Names(MidiService& in_service, bool in_input) {
    std::vector<std::string> names;
    const unsigned count = in_input ? in_service.InGetNumDevs() : in_service.OutGetNumDevs();
    for (unsigned id = 0; id < count; ++id) {
        std::string name;
        EXPECT_EQ(in_input ? in_service.InGetDevCaps(id, name) : in_service.OutGetDevCaps(id, name),
                  MMSYSERR_NOERROR);
        names.push_back(name);
    }
    return names;
}

// The link must never be offered its own ports, and opening one must not move
// the ids of the devices already chosen.
TEST_F(RtMidiServiceOverJack, OwnPortsAreNotListedSoIdsStayPut) {
    auto receiver = MakeJackMidi<RtMidiIn>();
    receiver->openVirtualPort("MKS-80 receiver");
    const std::vector<std::string> ins = Names(*m_Service, true);
    const std::vector<std::string> outs = Names(*m_Service, false);
    Recorder recorder;
    (void)OpenInput(recorder);
    MidiHandle output = kNoMidiHandle;
    const int id = FindDevice(*m_Service, false, "MKS-80 receiver");
    ASSERT_GE(id, 0);
    ASSERT_EQ(m_Service->OutOpen(output, static_cast<unsigned>(id)), MMSYSERR_NOERROR);
    EXPECT_EQ(Names(*m_Service, true), ins);
    EXPECT_EQ(Names(*m_Service, false), outs);
    RtMidiService other("jack");
    EXPECT_EQ(Names(other, true), ins);
    EXPECT_EQ(Names(other, false), outs);
}

// Ports of the service's own, as mks80-sim makes them, reach another program.
TEST_F(RtMidiServiceOverJack, VirtualPortsOfTheServiceCarryMessagesBothWays) {
    RtMidiService instrument("jack", "instrument");
    Recorder heard;
    MidiHandle instrumentIn = kNoMidiHandle;
    MidiHandle instrumentOut = kNoMidiHandle;
    ASSERT_EQ(instrument.InOpenVirtual(instrumentIn, "MKS-80 in", heard.Callback()),
              MMSYSERR_NOERROR);
    ASSERT_EQ(instrument.InStart(instrumentIn), MMSYSERR_NOERROR);
    ASSERT_EQ(instrument.OutOpenVirtual(instrumentOut, "MKS-80 out"), MMSYSERR_NOERROR);

    RtMidiService host("jack");
    const int in = FindDevice(host, true, ":MKS-80 out");
    const int out = FindDevice(host, false, ":MKS-80 in");
    ASSERT_GE(in, 0);
    ASSERT_GE(out, 0);
    Recorder answers;
    MidiHandle hostIn = kNoMidiHandle;
    MidiHandle hostOut = kNoMidiHandle;
    ASSERT_EQ(host.InOpen(hostIn, static_cast<unsigned>(in), answers.Callback()), MMSYSERR_NOERROR);
    ASSERT_EQ(host.InStart(hostIn), MMSYSERR_NOERROR);
    ASSERT_EQ(host.OutOpen(hostOut, static_cast<unsigned>(out)), MMSYSERR_NOERROR);

    MidiHdr instrumentBuffer = Buffer();
    ASSERT_EQ(instrument.InPrepareHeader(instrumentIn, instrumentBuffer), MMSYSERR_NOERROR);
    ASSERT_EQ(instrument.InAddBuffer(instrumentIn, instrumentBuffer), MMSYSERR_NOERROR);
    MidiHdr request = Buffer();
    const Bytes rqd = {0xF0, 0x41, 0x41, 0x00, 0x20, 0xF7};
    std::copy(rqd.begin(), rqd.end(), request.data.begin());
    request.bufferLength = 6;
    ASSERT_EQ(host.OutPrepareHeader(hostOut, request), MMSYSERR_NOERROR);
    ASSERT_EQ(host.OutLongMsg(hostOut, request), MMSYSERR_NOERROR);
    std::vector<Event> got = heard.WaitFor(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, rqd);

    MidiHdr hostBuffer = Buffer();
    ASSERT_EQ(host.InPrepareHeader(hostIn, hostBuffer), MMSYSERR_NOERROR);
    ASSERT_EQ(host.InAddBuffer(hostIn, hostBuffer), MMSYSERR_NOERROR);
    MidiHdr data = Buffer();
    const Bytes block = DataMessage();
    std::copy(block.begin(), block.end(), data.data.begin());
    data.bufferLength = static_cast<uint32_t>(block.size());
    ASSERT_EQ(instrument.OutPrepareHeader(instrumentOut, data), MMSYSERR_NOERROR);
    ASSERT_EQ(instrument.OutLongMsg(instrumentOut, data), MMSYSERR_NOERROR);
    got = answers.WaitFor(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, block);
}

// Points the JACK library at a server that does not run, for as long as it lives.
class NoJackServer {
  public:
    NoJackServer() {
        const char* previous = std::getenv("JACK_DEFAULT_SERVER");
        m_Had = previous != nullptr;
        m_Saved = m_Had ? previous : "";
        ::setenv("JACK_DEFAULT_SERVER", "quorlin-no-such-server", 1);
    }
    ~NoJackServer() {
        if (m_Had) {
            ::setenv("JACK_DEFAULT_SERVER", m_Saved.c_str(), 1);
        } else {
            ::unsetenv("JACK_DEFAULT_SERVER");
        }
    }

  private:
    bool m_Had = false;
    std::string m_Saved;
};

TEST(RtMidiService, AnApiThatCannotStartIsLeftOutWithoutAWord) {
    testing::internal::CaptureStderr();
    {
        NoJackServer noServer;
        RtMidiService service("jack");
        EXPECT_TRUE(service.ApiNames().empty());
        EXPECT_EQ(service.InGetNumDevs(), 0u);
        EXPECT_EQ(service.OutGetNumDevs(), 0u);
        MidiHandle handle = kNoMidiHandle;
        EXPECT_EQ(service.InOpen(handle, 0, Recorder().Callback()), MMSYSERR_BADDEVICEID);
        EXPECT_EQ(service.OutOpen(handle, 0), MMSYSERR_BADDEVICEID);
        EXPECT_EQ(service.OutOpenVirtual(handle, "MKS-80 out"), MIDIERR_NODEVICE);
        service.StartNewApis();
        EXPECT_TRUE(service.ApiNames().empty());
        RtMidiService unknown("no-such-api");
        EXPECT_TRUE(unknown.ApiNames().empty());
    }
    const std::string said = testing::internal::GetCapturedStderr();
    // Debug builds may trace that the API was left out; what RtMidi and the JACK
    // library say about the missing server is not shown.
    EXPECT_EQ(said.find("server"), std::string::npos) << said;
}

// A user who starts the JACK server after the program finds its devices in the
// setup dialog, which starts the missing APIs each time it opens.
TEST_F(RtMidiServiceOverJack, AServerStartedLaterIsFoundWhenTheDevicesAreListedAgain) {
    std::unique_ptr<RtMidiService> late;
    {
        NoJackServer noServer;
        late = std::make_unique<RtMidiService>("jack");
    }
    EXPECT_TRUE(late->ApiNames().empty());
    late->StartNewApis();
    EXPECT_EQ(late->ApiNames().size(), 1u);
    EXPECT_GE(FindDevice(*late, true, "MKS-80 sender"), 0);
}

}  // namespace
