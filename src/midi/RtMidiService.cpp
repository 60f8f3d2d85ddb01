#include "midi/RtMidiService.h"

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <sstream>
#include <thread>
#include <type_traits>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "midi/MidiInputQueue.h"
#include "platform/Trace.h"

#ifdef QUORLIN_HAVE_JACK
#include <jack/jack.h>
#endif

namespace {

constexpr size_t kMaxNameLength = 31;

// What RtMidi reported through its error callback during one call. With a
// callback installed RtMidi no longer throws its own errors, so every call is
// judged by what arrived here.
class ErrorSink {
  public:
    static void OnError(RtMidiError::Type in_type, const std::string& in_text, void* in_user) {
        if (in_type == RtMidiError::DEBUG_WARNING) {
            return;
        }
        auto* sink = static_cast<ErrorSink*>(in_user);
        std::lock_guard<std::mutex> lock(sink->m_Mutex);
        if (!sink->m_Type) {
            sink->m_Type = in_type;
            sink->m_Text = in_text;
        }
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Type.reset();
        m_Text.clear();
    }
    std::optional<RtMidiError::Type> Take(std::string& out_text) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        std::optional<RtMidiError::Type> type = m_Type;
        out_text = m_Text;
        m_Type.reset();
        return type;
    }

  private:
    std::mutex m_Mutex;
    std::optional<RtMidiError::Type> m_Type;
    std::string m_Text;
};

// RtMidi writes its complaints to std::cerr and the MIDI servers' own libraries
// to the standard error stream while an API is tried; an API that cannot start
// is left out without a word. The text RtMidi wrote is kept: a JACK API whose
// server is not running does not throw, it only says so.
class QuietStderr {
  public:
    QuietStderr() : m_ptrOldBuffer(std::cerr.rdbuf(m_Text.rdbuf())) {
#ifndef _WIN32
        std::fflush(stderr);
        m_SavedFd = ::dup(2);
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (m_SavedFd >= 0 && devNull >= 0) {
            ::dup2(devNull, 2);
        }
        if (devNull >= 0) {
            ::close(devNull);
        }
#endif
    }
    ~QuietStderr() {
        std::cerr.rdbuf(m_ptrOldBuffer);
#ifndef _WIN32
        std::fflush(stderr);
        if (m_SavedFd >= 0) {
            ::dup2(m_SavedFd, 2);
            ::close(m_SavedFd);
        }
#endif
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

    std::string Text() const {
        return m_Text.str();
    }

  private:
    std::ostringstream m_Text;
    std::streambuf* m_ptrOldBuffer;
#ifndef _WIN32
    int m_SavedFd = -1;
#endif
};

MMRESULT CodeOf(RtMidiError::Type in_type, MMRESULT in_generic, MMRESULT in_invalid) {
    switch (in_type) {
        case RtMidiError::INVALID_DEVICE:
        case RtMidiError::INVALID_PARAMETER:
            return in_invalid;
        case RtMidiError::NO_DEVICES_FOUND:
            return MIDIERR_NODEVICE;
        case RtMidiError::MEMORY_ERROR:
            return MMSYSERR_NOMEM;
        default:
            return in_generic;
    }
}

// Runs in_call on an RtMidi object reporting into in_sink and turns whatever
// went wrong, thrown or reported, into a result code.
template <typename Call>
MMRESULT Guarded(ErrorSink& in_sink, MMRESULT in_generic, MMRESULT in_invalid, Call in_call) {
    in_sink.Clear();
    try {
        in_call();
    } catch (const RtMidiError& error) {
        QUORLIN_TRACE("\nRtMidiService: %s", error.what());
        return CodeOf(error.getType(), in_generic, in_invalid);
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (const std::exception& error) {
        QUORLIN_TRACE("\nRtMidiService: %s", error.what());
        return in_generic;
    } catch (...) {
        return in_generic;
    }
    std::string text;
    if (std::optional<RtMidiError::Type> type = in_sink.Take(text)) {
        QUORLIN_TRACE("\nRtMidiService: %s", text.c_str());
        return CodeOf(*type, in_generic, in_invalid);
    }
    return MMSYSERR_NOERROR;
}

// Cuts in_name to the length the link shows, never inside a UTF-8 character.
std::string CutName(const std::string& in_name) {
    if (in_name.size() <= kMaxNameLength) {
        return in_name;
    }
    size_t end = kMaxNameLength;
    while (end > 0 && (static_cast<unsigned char>(in_name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return in_name.substr(0, end);
}

void OnInput(double /*in_deltaTime*/, std::vector<unsigned char>* in_message, void* in_user) {
    try {
        if (in_message != nullptr && !in_message->empty()) {
            static_cast<MidiInputQueue*>(in_user)->Receive(in_message->data(), in_message->size());
        }
    } catch (...) {
        // Nothing may escape into RtMidi's thread.
    }
}

// How long releasing one device may hold the caller, and how long opening one waits
// for its JACK connection to be in use.
constexpr std::chrono::milliseconds kReleaseTime(2000);
constexpr std::chrono::milliseconds kConnectTime(2000);
// How long a JACK object's port stays closed before the object is destroyed.
constexpr std::chrono::milliseconds kSettleTime(300);

// RtMidi's JACK objects are not destroyed as soon as they are released. Destroying
// an output releases the ring buffer and semaphores that its JACK process callback
// uses while that callback can still run: the close waits only a bounded time for
// the callback to drain the buffer, and the client that runs it is closed last. On
// a loaded machine at a short period a callback that had begun before the port was
// closed ran on into freed memory, and the process crashed after the last message.
// Closing a JACK client also waits for the server, which a peer that hangs holds
// for tens of seconds. So a released JACK object only closes its port (which makes
// every later callback return at once) and is parked for the next open. Parked
// objects are destroyed when their service ends, each at least kSettleTime after
// its port closed, so no callback of the old port is still running. All of this
// runs on a thread of its own that a caller waits for at most kReleaseTime. They
// are destroyed rather than left to the end of the process: a client that goes
// without closing makes the JACK server fail at its own end.
class JackPark {
  public:
    static JackPark& Get() {
        // Never destroyed: its thread may still be inside a release that hangs.
        static JackPark* park = new JackPark();
        return *park;
    }

    template <typename Midi>
    std::unique_ptr<Midi> Take(const std::string& in_client) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto& parked = Parked<Midi>();
        for (auto it = parked.begin(); it != parked.end(); ++it) {
            if (it->client == in_client) {
                std::unique_ptr<Midi> midi = std::move(it->midi);
                parked.erase(it);
                return midi;
            }
        }
        return nullptr;
    }

    // Closes the port of in_midi and parks it; in_queue, the input it called into,
    // stays with it, as a callback of RtMidi's may still be on its way.
    template <typename Midi>
    void Release(std::unique_ptr<Midi> in_midi, const std::string& in_client,
                 std::shared_ptr<MidiInputQueue> in_queue = nullptr) {
        auto held = std::make_shared<Held<Midi>>();
        held->midi = std::move(in_midi);
        held->queue = std::move(in_queue);
        held->client = in_client;
        // Now, not on the release thread: the caller's sink goes with its port.
        held->midi->setErrorCallback(&ErrorSink::OnError, &m_ParkedSink);
        const bool inTime = RunBounded([this, held] {
            try {
                held->midi->closePort();
                if constexpr (std::is_same_v<Midi, RtMidiIn>) {
                    if (held->queue) {
                        held->midi->cancelCallback();
                    }
                }
            } catch (...) {
            }
            held->closed = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(m_Mutex);
            Parked<Midi>().push_back(std::move(*held));
        });
        if (!inTime) {
            QUORLIN_TRACE("\nRtMidiService: a JACK port is still closing; going on without it");
        }
    }

    // Destroys the objects parked for in_client once they have settled, then runs
    // in_then; waits for that at most kReleaseTime.
    void DestroyParked(const std::string& in_client, std::function<void()> in_then) {
        const bool inTime = RunBounded([this, in_client, then = std::move(in_then)] {
            std::vector<Held<RtMidiIn>> ins = TakeAll(m_Ins, in_client);
            std::vector<Held<RtMidiOut>> outs = TakeAll(m_Outs, in_client);
            Destroy(ins);
            Destroy(outs);
            if (then) {
                then();
            }
        });
        if (!inTime) {
            QUORLIN_TRACE("\nRtMidiService: a JACK client is still closing; going on without it");
        }
    }

  private:
    template <typename Midi>
    struct Held {
        std::unique_ptr<Midi> midi;
        std::shared_ptr<MidiInputQueue> queue;
        std::string client;
        std::chrono::steady_clock::time_point closed;
    };
    template <typename Midi>
    std::vector<Held<Midi>> TakeAll(std::vector<Held<Midi>>& in_parked,
                                    const std::string& in_client) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        std::vector<Held<Midi>> taken;
        for (auto it = in_parked.begin(); it != in_parked.end();) {
            if (it->client == in_client) {
                taken.push_back(std::move(*it));
                it = in_parked.erase(it);
            } else {
                ++it;
            }
        }
        return taken;
    }
    template <typename Midi>
    static void Destroy(std::vector<Held<Midi>>& in_held) {
        for (Held<Midi>& held : in_held) {
            std::this_thread::sleep_until(held.closed + kSettleTime);
            try {
                held.midi.reset();
            } catch (...) {
            }
        }
    }
    template <typename Midi>
    std::vector<Held<Midi>>& Parked() {
        if constexpr (std::is_same_v<Midi, RtMidiIn>) {
            return m_Ins;
        } else {
            return m_Outs;
        }
    }

    // Runs in_job on the release thread; true when it ended within kReleaseTime.
    bool RunBounded(std::function<void()> in_job) {
        auto done = std::make_shared<bool>(false);
        std::unique_lock<std::mutex> lock(m_Mutex);
        if (!m_Worker) {
            m_Worker = true;
            std::thread([this] { Work(); }).detach();
        }
        m_Jobs.push_back([this, done, job = std::move(in_job)] {
            job();
            std::lock_guard<std::mutex> doneLock(m_Mutex);
            *done = true;
            m_Changed.notify_all();
        });
        m_Changed.notify_all();
        if (m_Stuck) {
            return false;  // behind a release that hangs: waiting would only add up
        }
        if (!m_Changed.wait_for(lock, kReleaseTime, [&done] { return *done; })) {
            m_Stuck = true;
            return false;
        }
        return true;
    }
    void Work() {
        std::unique_lock<std::mutex> lock(m_Mutex);
        for (;;) {
            m_Changed.wait(lock, [this] { return !m_Jobs.empty(); });
            std::function<void()> job = std::move(m_Jobs.front());
            m_Jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
            m_Stuck = false;
        }
    }

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<std::function<void()>> m_Jobs;
    bool m_Worker = false;
    bool m_Stuck = false;  // a release outlasted kReleaseTime and still runs
    ErrorSink m_ParkedSink;
    std::vector<Held<RtMidiIn>> m_Ins;
    std::vector<Held<RtMidiOut>> m_Outs;
};

// A JACK client without ports that reads the graph; closed with its service.
struct JackWatcher {
#ifdef QUORLIN_HAVE_JACK
    jack_client_t* client = nullptr;
    bool tried = false;
    jack_client_t* Get() {
        if (!tried) {
            tried = true;
            jack_status_t status;
            client = jack_client_open("Quorlin-watch", JackNoStartServer, &status);
        }
        return client;
    }
    void Close() {
        if (client != nullptr) {
            jack_client_close(client);
            client = nullptr;
        }
    }
#else
    void Close() {}
#endif
};

// The connections of a JACK port as the graph in use has them. jack_connect returns
// before the running graph carries the new connection, so a message sent at once
// may go nowhere: the first message of a transfer was lost that way.
// nullopt when that cannot be told.
std::optional<std::vector<std::string>> JackConnections(JackWatcher& in_watcher,
                                                        const std::string& in_port) {
    std::vector<std::string> names;
#ifdef QUORLIN_HAVE_JACK
    jack_client_t* const watcher = in_watcher.Get();
    if (watcher == nullptr) {
        return std::nullopt;
    }
    jack_port_t* port = jack_port_by_name(watcher, in_port.c_str());
    if (port == nullptr) {
        return names;
    }
    if (const char** connections = jack_port_get_all_connections(watcher, port)) {
        for (const char** name = connections; *name != nullptr; ++name) {
            names.emplace_back(*name);
        }
        jack_free(connections);
    }
    return names;
#else
    (void)in_watcher;
    (void)in_port;
    return std::nullopt;
#endif
}

// Once the graph lists a connection, the server carries it from a later cycle, and a
// client that has just joined the graph runs its first cycles late (JACK drops the
// MIDI of a late client): the first message of a transfer waits kSettleCycles more
// periods, a few milliseconds, but never beyond in_end.
constexpr unsigned kSettleCycles = 8;
void AwaitJackCycles(JackWatcher& in_watcher, std::chrono::steady_clock::time_point in_end) {
#ifdef QUORLIN_HAVE_JACK
    jack_client_t* const watcher = in_watcher.Get();
    if (watcher == nullptr) {
        return;
    }
    const jack_nframes_t wanted = kSettleCycles * jack_get_buffer_size(watcher);
    const jack_nframes_t start = jack_frame_time(watcher);
    while (jack_frame_time(watcher) - start < wanted && std::chrono::steady_clock::now() < in_end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
#else
    (void)in_watcher;
    (void)in_end;
#endif
}

// Waits until in_port has a connection that in_before did not list, or kConnectTime
// has passed (then the open goes on: nothing better can be done).
void AwaitNewJackConnection(JackWatcher& in_watcher, const std::string& in_port,
                            const std::optional<std::vector<std::string>>& in_before) {
    if (!in_before) {
        return;
    }
    const auto end = std::chrono::steady_clock::now() + kConnectTime;
    while (std::chrono::steady_clock::now() < end) {
        const std::optional<std::vector<std::string>> now = JackConnections(in_watcher, in_port);
        if (!now) {
            return;
        }
        for (const std::string& name : *now) {
            if (std::find(in_before->begin(), in_before->end(), name) == in_before->end()) {
                AwaitJackCycles(in_watcher, end);
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    QUORLIN_TRACE("\nRtMidiService: the JACK connection to %s is not in use yet", in_port.c_str());
}

}  // namespace

struct RtMidiService::Impl {
    // One API that started, with an input and an output object that list its
    // ports. The first port opened takes over the listing object, so that it
    // carries the client name unchanged (JACK numbers every further client of
    // the same name); a new one takes its place.
    struct Api {
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::string name;
        ErrorSink sink;
        std::unique_ptr<RtMidiIn> inProbe;
        std::unique_ptr<RtMidiOut> outProbe;
    };
    // Members are destroyed in reverse order: RtMidi's object (and with it its
    // thread) goes before the queue and the sink it reports into.
    struct InPort {
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::unique_ptr<ErrorSink> sink;
        std::shared_ptr<MidiInputQueue> queue;
        std::unique_ptr<RtMidiIn> midi;
    };
    struct OutPort {
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::unique_ptr<ErrorSink> sink;
        std::unique_ptr<RtMidiOut> midi;
    };

    std::string clientName;
    // Shared with the release thread, which closes it after the parked objects.
    std::shared_ptr<JackWatcher> watcher = std::make_shared<JackWatcher>();
    // The names our own ports are opened with; the virtual ports' names join them.
    std::vector<std::string> ownPortNames = {"in", "out"};
    std::vector<std::unique_ptr<Api>> apis;
    // The APIs asked for, whether they started or not.
    std::vector<RtMidi::Api> wanted;
    std::map<MidiHandle, InPort> inPorts;
    std::map<MidiHandle, OutPort> outPorts;

    void Probe(RtMidi::Api in_api);
    // The API and its port number for device id in_id, or false.
    // The ports of in_api that are listed: RtMidi's port number and name of
    // each, without the ports this program opened itself.
    struct Listed {
        unsigned port;
        std::string name;
    };
    std::vector<Listed> List(Api& in_api, bool in_input);
    bool IsOwnPort(const std::string& in_name) const;
    // The API, its port number and the port's name for device id in_id, or false.
    bool Locate(bool in_input, unsigned in_id, Api*& out_api, unsigned& out_port,
                std::string& out_name);
    // A new RtMidi object of in_api, or one this process parked (JACK).
    template <typename Midi>
    std::unique_ptr<Midi> New(RtMidi::Api in_api) {
        if (in_api == RtMidi::UNIX_JACK) {
            if (std::unique_ptr<Midi> parked = JackPark::Get().Take<Midi>(clientName)) {
                return parked;
            }
        }
        return std::make_unique<Midi>(in_api, clientName);
    }
    // Lets go of an RtMidi object: destroyed, or parked (JACK) with in_queue.
    template <typename Midi>
    void Release(RtMidi::Api in_api, std::unique_ptr<Midi> in_midi,
                 std::shared_ptr<MidiInputQueue> in_queue = nullptr) {
        if (!in_midi) {
            return;
        }
        if (in_api == RtMidi::UNIX_JACK) {
            JackPark::Get().Release(std::move(in_midi), clientName, std::move(in_queue));
            return;
        }
        try {
            in_midi.reset();
        } catch (...) {
        }
    }
    std::unique_ptr<RtMidiIn> TakeIn(Api& in_api);
    std::unique_ptr<RtMidiOut> TakeOut(Api& in_api);
    // in_probe, made first when it has been taken.
    template <typename Midi>
    RtMidi* Lister(Api& in_api, std::unique_ptr<Midi>& in_probe);
    // in_peer: the port to connect to, or with no in_port the name of our own port.
    MMRESULT OpenIn(MidiHandle in_handle, Api& in_api, const std::optional<unsigned>& in_port,
                    const std::string& in_peer, const std::shared_ptr<MidiInputQueue>& in_queue);
    MMRESULT OpenOut(MidiHandle in_handle, Api& in_api, const std::optional<unsigned>& in_port,
                     const std::string& in_peer);
    OutPort* FindOut(MidiHandle in_handle) {
        auto it = outPorts.find(in_handle);
        return it == outPorts.end() ? nullptr : &it->second;
    }
    // The queue is closed already; it stays with RtMidi's object, whose callback
    // may still be on its way.
    void CloseIn(InPort& in_port) {
        Release(in_port.api, std::move(in_port.midi), std::move(in_port.queue));
    }
};

void RtMidiService::Impl::Probe(RtMidi::Api in_api) {
    if (in_api == RtMidi::UNSPECIFIED || in_api == RtMidi::RTMIDI_DUMMY) {
        return;
    }
    auto entry = std::make_unique<Api>();
    entry->api = in_api;
    entry->name = RtMidi::getApiName(in_api);
    std::string said;
    try {
        QuietStderr quiet;
        try {
            entry->inProbe = New<RtMidiIn>(in_api);
            entry->inProbe->setErrorCallback(&ErrorSink::OnError, &entry->sink);
            entry->outProbe = New<RtMidiOut>(in_api);
            entry->outProbe->setErrorCallback(&ErrorSink::OnError, &entry->sink);
        } catch (...) {
            said = quiet.Text();
            throw;
        }
        said = quiet.Text();
    } catch (...) {
        QUORLIN_TRACE("\nRtMidiService: the %s API does not start", entry->name.c_str());
        return;
    }
    if (!said.empty()) {
        QUORLIN_TRACE("\nRtMidiService: the %s API does not start", entry->name.c_str());
        return;
    }
    apis.push_back(std::move(entry));
}

// The listing object is taken as it is; its successor is made only when the ports
// are next listed. Making a JACK client joins the running graph, and doing that
// while a transfer starts made its first messages go astray.
std::unique_ptr<RtMidiIn> RtMidiService::Impl::TakeIn(Api& in_api) {
    std::unique_ptr<RtMidiIn> taken = std::move(in_api.inProbe);
    return taken ? std::move(taken) : New<RtMidiIn>(in_api.api);
}

std::unique_ptr<RtMidiOut> RtMidiService::Impl::TakeOut(Api& in_api) {
    std::unique_ptr<RtMidiOut> taken = std::move(in_api.outProbe);
    return taken ? std::move(taken) : New<RtMidiOut>(in_api.api);
}

template <typename Midi>
RtMidi* RtMidiService::Impl::Lister(Api& in_api, std::unique_ptr<Midi>& in_probe) {
    if (!in_probe) {
        try {
            QuietStderr quiet;
            in_probe = New<Midi>(in_api.api);
            in_probe->setErrorCallback(&ErrorSink::OnError, &in_api.sink);
        } catch (...) {
            in_probe.reset();
        }
    }
    return in_probe.get();
}

std::vector<RtMidiService::Impl::Listed> RtMidiService::Impl::List(Api& in_api, bool in_input) {
    std::vector<Listed> listed;
    RtMidi* probe = in_input ? Lister(in_api, in_api.inProbe) : Lister(in_api, in_api.outProbe);
    if (probe == nullptr) {
        return listed;
    }
    const MMRESULT result = Guarded(in_api.sink, MMSYSERR_ERROR, MMSYSERR_ERROR, [&] {
        const unsigned count = probe->getPortCount();
        for (unsigned port = 0; port < count; ++port) {
            std::string name = probe->getPortName(port);
            if (!IsOwnPort(name)) {
                listed.push_back({port, std::move(name)});
            }
        }
    });
    return result == MMSYSERR_NOERROR ? listed : std::vector<Listed>();
}

// A port of this program is named "CLIENT:PORT" (JACK, with "-NN" after the
// client when that name was taken) or "CLIENT:PORT C:P" (ALSA). Listing them
// would let the link connect to itself, and opening a port would shift the
// ids of the devices listed after it.
bool RtMidiService::Impl::IsOwnPort(const std::string& in_name) const {
    if (in_name.compare(0, clientName.size(), clientName) != 0) {
        return false;
    }
    size_t at = clientName.size();
    if (at < in_name.size() && in_name[at] == '-') {
        ++at;
        while (at < in_name.size() && in_name[at] >= '0' && in_name[at] <= '9') {
            ++at;
        }
    }
    if (at >= in_name.size() || in_name[at] != ':') {
        return false;
    }
    const std::string port = in_name.substr(at + 1);
    for (const std::string& own : ownPortNames) {
        if (port.compare(0, own.size(), own) == 0 &&
            (port.size() == own.size() || port[own.size()] == ' ')) {
            return true;
        }
    }
    return false;
}

bool RtMidiService::Impl::Locate(bool in_input, unsigned in_id, Api*& out_api, unsigned& out_port,
                                 std::string& out_name) {
    unsigned first = 0;
    for (const std::unique_ptr<Api>& api : apis) {
        std::vector<Listed> listed = List(*api, in_input);
        if (in_id - first < listed.size()) {
            out_api = api.get();
            out_port = listed[in_id - first].port;
            out_name = std::move(listed[in_id - first].name);
            return true;
        }
        first += static_cast<unsigned>(listed.size());
    }
    return false;
}

MMRESULT RtMidiService::Impl::OpenIn(MidiHandle in_handle, Api& in_api,
                                     const std::optional<unsigned>& in_port,
                                     const std::string& in_peer,
                                     const std::shared_ptr<MidiInputQueue>& in_queue) {
    InPort port;
    port.api = in_api.api;
    const bool jack = in_port && in_api.api == RtMidi::UNIX_JACK;
    const std::optional<std::vector<std::string>> before =
        jack ? JackConnections(*watcher, in_peer) : std::nullopt;
    port.sink = std::make_unique<ErrorSink>();
    port.queue = in_queue;
    const MMRESULT result = Guarded(*port.sink, MMSYSERR_ERROR, MMSYSERR_BADDEVICEID, [&] {
        port.midi = TakeIn(in_api);
        port.midi->setErrorCallback(&ErrorSink::OnError, port.sink.get());
        // Without this RtMidi drops every system-exclusive message. Timing
        // clock is of no use here; active sensing is delivered as a short
        // message.
        port.midi->ignoreTypes(false, true, false);
        port.midi->setCallback(&OnInput, port.queue.get());
        if (in_port) {
            port.midi->openPort(*in_port, "in");
        } else {
            port.midi->openVirtualPort(in_peer);
        }
    });
    if (result != MMSYSERR_NOERROR) {
        CloseIn(port);
        return result;
    }
    if (jack) {
        AwaitNewJackConnection(*watcher, in_peer, before);
    }
    inPorts.emplace(in_handle, std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::Impl::OpenOut(MidiHandle in_handle, Api& in_api,
                                      const std::optional<unsigned>& in_port,
                                      const std::string& in_peer) {
    OutPort port;
    port.api = in_api.api;
    const bool jack = in_port && in_api.api == RtMidi::UNIX_JACK;
    const std::optional<std::vector<std::string>> before =
        jack ? JackConnections(*watcher, in_peer) : std::nullopt;
    port.sink = std::make_unique<ErrorSink>();
    const MMRESULT result = Guarded(*port.sink, MMSYSERR_ERROR, MMSYSERR_BADDEVICEID, [&] {
        port.midi = TakeOut(in_api);
        port.midi->setErrorCallback(&ErrorSink::OnError, port.sink.get());
        if (in_port) {
            port.midi->openPort(*in_port, "out");
        } else {
            port.midi->openVirtualPort(in_peer);
        }
    });
    if (result != MMSYSERR_NOERROR) {
        Release(port.api, std::move(port.midi));
        return result;
    }
    if (jack) {
        // The first message must not leave before the instrument's port can hear it.
        AwaitNewJackConnection(*watcher, in_peer, before);
    }
    outPorts.emplace(in_handle, std::move(port));
    return MMSYSERR_NOERROR;
}

RtMidiService::RtMidiService() : RtMidiService(std::string()) {}

RtMidiService::RtMidiService(const std::string& in_api, const std::string& in_clientName)
    : m_ptrImpl(std::make_unique<Impl>()) {
    m_ptrImpl->clientName = in_clientName;
    if (in_api.empty()) {
        RtMidi::getCompiledApi(m_ptrImpl->wanted);
    } else {
        m_ptrImpl->wanted.push_back(RtMidi::getCompiledApiByName(in_api));
    }
    for (RtMidi::Api api : m_ptrImpl->wanted) {
        m_ptrImpl->Probe(api);
    }
}

void RtMidiService::StartNewApis() {
    for (RtMidi::Api api : m_ptrImpl->wanted) {
        const bool running = std::any_of(
            m_ptrImpl->apis.begin(), m_ptrImpl->apis.end(),
            [api](const std::unique_ptr<Impl::Api>& in_api) { return in_api->api == api; });
        if (!running) {
            m_ptrImpl->Probe(api);
        }
    }
}

RtMidiService::~RtMidiService() {
    CloseAll();
    for (auto& api : m_ptrImpl->apis) {
        m_ptrImpl->Release(api->api, std::move(api->inProbe));
        m_ptrImpl->Release(api->api, std::move(api->outProbe));
    }
    std::shared_ptr<JackWatcher> watcher = m_ptrImpl->watcher;
    JackPark::Get().DestroyParked(m_ptrImpl->clientName, [watcher] { watcher->Close(); });
}

std::vector<std::string> RtMidiService::ApiNames() const {
    std::vector<std::string> names;
    for (const auto& api : m_ptrImpl->apis) {
        names.push_back(api->name);
    }
    return names;
}

unsigned RtMidiService::InGetNumDevs() {
    unsigned count = 0;
    for (const auto& api : m_ptrImpl->apis) {
        count += static_cast<unsigned>(m_ptrImpl->List(*api, true).size());
    }
    return count;
}

unsigned RtMidiService::OutGetNumDevs() {
    unsigned count = 0;
    for (const auto& api : m_ptrImpl->apis) {
        count += static_cast<unsigned>(m_ptrImpl->List(*api, false).size());
    }
    return count;
}

MMRESULT RtMidiService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    Impl::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->Locate(true, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = CutName(name);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    Impl::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->Locate(false, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = CutName(name);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::OpenInput(MidiHandle in_handle, unsigned in_id,
                                  const InputQueue& in_queue) {
    Impl::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->Locate(true, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    return m_ptrImpl->OpenIn(in_handle, *api, port, name, in_queue);
}

MMRESULT RtMidiService::InOpenVirtual(MidiHandle& out_handle, const std::string& in_portName,
                                      MidiInCallback in_callback) {
    if (m_ptrImpl->apis.empty()) {
        return MIDIERR_NODEVICE;
    }
    m_ptrImpl->ownPortNames.push_back(in_portName);
    return OpenInputWith(out_handle, std::move(in_callback),
                         [&](MidiHandle in_handle, const InputQueue& in_queue) {
                             return m_ptrImpl->OpenIn(in_handle, *m_ptrImpl->apis.front(),
                                                      std::nullopt, in_portName, in_queue);
                         });
}

void RtMidiService::CloseInput(MidiHandle in_handle) {
    auto it = m_ptrImpl->inPorts.find(in_handle);
    if (it != m_ptrImpl->inPorts.end()) {
        m_ptrImpl->CloseIn(it->second);
        m_ptrImpl->inPorts.erase(it);
    }
}

MMRESULT RtMidiService::OpenOutput(MidiHandle in_handle, unsigned in_id) {
    Impl::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->Locate(false, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    return m_ptrImpl->OpenOut(in_handle, *api, port, name);
}

MMRESULT RtMidiService::OutOpenVirtual(MidiHandle& out_handle, const std::string& in_portName) {
    if (m_ptrImpl->apis.empty()) {
        return MIDIERR_NODEVICE;
    }
    m_ptrImpl->ownPortNames.push_back(in_portName);
    return OpenOutputWith(out_handle, [&](MidiHandle in_handle) {
        return m_ptrImpl->OpenOut(in_handle, *m_ptrImpl->apis.front(), std::nullopt, in_portName);
    });
}

MMRESULT RtMidiService::SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) {
    Impl::OutPort* port = m_ptrImpl->FindOut(in_handle);
    if (port == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    return Guarded(*port->sink, MIDIERR_NOTREADY, MMSYSERR_INVALPARAM,
                   [&] { port->midi->sendMessage(in_data, in_size); });
}

void RtMidiService::CloseOutput(MidiHandle in_handle) {
    auto it = m_ptrImpl->outPorts.find(in_handle);
    if (it != m_ptrImpl->outPorts.end()) {
        m_ptrImpl->Release(it->second.api, std::move(it->second.midi));
        m_ptrImpl->outPorts.erase(it);
    }
}
