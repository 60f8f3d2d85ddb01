#include "midi/RtMidiService.h"

#include <RtMidi.h>

#include <map>
#include <optional>
#include <utility>

#include "midi/MidiInputQueue.h"
#include "midi/RtMidiErrorSink.h"
#include "midi/RtMidiJackPark.h"
#include "midi/RtMidiJackWatcher.h"
#include "midi/RtMidiPortList.h"

namespace {

void OnInput(double /*in_deltaTime*/, std::vector<unsigned char>* in_message, void* in_user) {
    try {
        if (in_message != nullptr && !in_message->empty()) {
            static_cast<MidiInputQueue*>(in_user)->Receive(in_message->data(), in_message->size());
        }
    } catch (...) {
        // Nothing may escape into RtMidi's thread.
    }
}

}  // namespace

struct RtMidiService::Impl {
    // Members are destroyed in reverse order: RtMidi's object (and with it its
    // thread) goes before the queue and the sink it reports into.
    struct InPort {
        static constexpr const char* kName = "in";
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::unique_ptr<RtMidiErrorSink> sink;
        std::shared_ptr<MidiInputQueue> queue;
        std::unique_ptr<RtMidiIn> midi;
    };
    struct OutPort {
        static constexpr const char* kName = "out";
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::unique_ptr<RtMidiErrorSink> sink;
        std::unique_ptr<RtMidiOut> midi;
        // Messages handed to JACK's ring buffer that its process callback may not have
        // taken yet.
        bool unsent = false;
    };

    Impl(const std::string& in_api, const std::string& in_clientName)
        : ports(in_api, in_clientName) {}

    RtMidiPortList ports;
    // Shared with the release thread, which closes it after the parked objects.
    std::shared_ptr<RtMidiJackWatcher> watcher = std::make_shared<RtMidiJackWatcher>();
    std::map<MidiHandle, InPort> inPorts;
    std::map<MidiHandle, OutPort> outPorts;

    // in_peer: the port to connect to, or with no in_port the name of our own port.
    MMRESULT OpenIn(MidiHandle in_handle, RtMidiPortList::Api& in_api,
                    const std::optional<unsigned>& in_port, const std::string& in_peer,
                    const std::shared_ptr<MidiInputQueue>& in_queue) {
        InPort port;
        port.queue = in_queue;
        return Open(inPorts, in_handle, std::move(port), in_api, in_port, in_peer);
    }
    MMRESULT OpenOut(MidiHandle in_handle, RtMidiPortList::Api& in_api,
                     const std::optional<unsigned>& in_port, const std::string& in_peer) {
        return Open(outPorts, in_handle, OutPort(), in_api, in_port, in_peer);
    }
    OutPort* FindOut(MidiHandle in_handle) {
        auto it = outPorts.find(in_handle);
        return it == outPorts.end() ? nullptr : &it->second;
    }
    // The queue is closed already; it stays with RtMidi's object, whose callback
    // may still be on its way.
    void Release(InPort& in_port) {
        ports.Release(in_port.api, std::move(in_port.midi), std::move(in_port.queue));
    }
    void Release(OutPort& in_port) { ports.Release(in_port.api, std::move(in_port.midi)); }

  private:
    // RtMidi's object for the port, reporting into its sink, ready to open.
    void Take(InPort& io_port, RtMidiPortList::Api& in_api) {
        io_port.midi = ports.TakeIn(in_api);
        io_port.midi->setErrorCallback(&RtMidiErrorSink::OnError, io_port.sink.get());
        // Without this RtMidi drops every system-exclusive message. Timing
        // clock is of no use here; active sensing is delivered as a short
        // message.
        io_port.midi->ignoreTypes(false, true, false);
        io_port.midi->setCallback(&OnInput, io_port.queue.get());
    }
    void Take(OutPort& io_port, RtMidiPortList::Api& in_api) {
        io_port.midi = ports.TakeOut(in_api);
        io_port.midi->setErrorCallback(&RtMidiErrorSink::OnError, io_port.sink.get());
    }

    // Opens in_new and keeps it in io_open under in_handle.
    template <typename Port>
    MMRESULT Open(std::map<MidiHandle, Port>& io_open, MidiHandle in_handle, Port in_new,
                  RtMidiPortList::Api& in_api, const std::optional<unsigned>& in_port,
                  const std::string& in_peer) {
        in_new.api = in_api.api;
        const bool jack = in_port && in_api.api == RtMidi::UNIX_JACK;
        const std::optional<std::vector<std::string>> before =
            jack ? watcher->Connections(in_peer) : std::nullopt;
        in_new.sink = std::make_unique<RtMidiErrorSink>();
        const MMRESULT result =
            RtMidiGuarded(*in_new.sink, MMSYSERR_ERROR, MMSYSERR_BADDEVICEID, [&] {
                Take(in_new, in_api);
                if (in_port) {
                    in_new.midi->openPort(*in_port, Port::kName);
                } else {
                    in_new.midi->openVirtualPort(in_peer);
                }
            });
        if (result != MMSYSERR_NOERROR) {
            Release(in_new);
            return result;
        }
        if (jack) {
            // The port is not used before its connection to the peer stands: the first
            // message must not leave before the instrument's port can hear it.
            watcher->AwaitNewConnection(in_peer, before);
        }
        io_open.emplace(in_handle, std::move(in_new));
        return MMSYSERR_NOERROR;
    }
};

RtMidiService::RtMidiService() : RtMidiService(std::string()) {}

RtMidiService::RtMidiService(const std::string& in_api, const std::string& in_clientName)
    : m_ptrImpl(std::make_unique<Impl>(in_api, in_clientName)) {}

RtMidiService::~RtMidiService() {
    CloseAll();
    // The listing objects are parked before the parked objects are destroyed.
    m_ptrImpl->ports.ReleaseListers();
    std::shared_ptr<RtMidiJackWatcher> watcher = m_ptrImpl->watcher;
    RtMidiJackPark::Get().DestroyParked(m_ptrImpl->ports.ClientName(),
                                        [watcher] { watcher->Close(); });
}

void RtMidiService::StartNewApis() {
    m_ptrImpl->ports.StartNewApis();
}

std::vector<std::string> RtMidiService::ApiNames() const {
    return m_ptrImpl->ports.ApiNames();
}

unsigned RtMidiService::InGetNumDevs() {
    return m_ptrImpl->ports.Count(true);
}

unsigned RtMidiService::OutGetNumDevs() {
    return m_ptrImpl->ports.Count(false);
}

MMRESULT RtMidiService::InGetDevCaps(unsigned in_id, std::string& out_name) {
    return DevCaps(true, in_id, out_name);
}

MMRESULT RtMidiService::OutGetDevCaps(unsigned in_id, std::string& out_name) {
    return DevCaps(false, in_id, out_name);
}

MMRESULT RtMidiService::DevCaps(bool in_input, unsigned in_id, std::string& out_name) {
    RtMidiPortList::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->ports.Locate(in_input, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    out_name = RtMidiPortList::CutName(name);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::OpenInput(MidiHandle in_handle, unsigned in_id,
                                  const InputQueue& in_queue) {
    RtMidiPortList::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->ports.Locate(true, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    return m_ptrImpl->OpenIn(in_handle, *api, port, name, in_queue);
}

MMRESULT RtMidiService::InOpenVirtual(MidiHandle& out_handle, const std::string& in_portName,
                                      MidiInCallback in_callback) {
    RtMidiPortList::Api* api = m_ptrImpl->ports.FirstApi();
    if (api == nullptr) {
        return MIDIERR_NODEVICE;
    }
    m_ptrImpl->ports.AddOwnPort(in_portName);
    return OpenInputWith(
        out_handle, std::move(in_callback), [&](MidiHandle in_handle, const InputQueue& in_queue) {
            return m_ptrImpl->OpenIn(in_handle, *api, std::nullopt, in_portName, in_queue);
        });
}

void RtMidiService::CloseInput(MidiHandle in_handle) {
    auto it = m_ptrImpl->inPorts.find(in_handle);
    if (it != m_ptrImpl->inPorts.end()) {
        m_ptrImpl->Release(it->second);
        m_ptrImpl->inPorts.erase(it);
    }
}

MMRESULT RtMidiService::OpenOutput(MidiHandle in_handle, unsigned in_id) {
    RtMidiPortList::Api* api = nullptr;
    unsigned port = 0;
    std::string name;
    if (!m_ptrImpl->ports.Locate(false, in_id, api, port, name)) {
        return MMSYSERR_BADDEVICEID;
    }
    return m_ptrImpl->OpenOut(in_handle, *api, port, name);
}

MMRESULT RtMidiService::OutOpenVirtual(MidiHandle& out_handle, const std::string& in_portName) {
    RtMidiPortList::Api* api = m_ptrImpl->ports.FirstApi();
    if (api == nullptr) {
        return MIDIERR_NODEVICE;
    }
    m_ptrImpl->ports.AddOwnPort(in_portName);
    return OpenOutputWith(out_handle, [&](MidiHandle in_handle) {
        return m_ptrImpl->OpenOut(in_handle, *api, std::nullopt, in_portName);
    });
}

MMRESULT RtMidiService::SendLong(MidiHandle in_handle, const uint8_t* in_data, size_t in_size) {
    Impl::OutPort* port = m_ptrImpl->FindOut(in_handle);
    if (port == nullptr) {
        return MMSYSERR_INVALHANDLE;
    }
    const MMRESULT result = RtMidiGuarded(*port->sink, MIDIERR_NOTREADY, MMSYSERR_INVALPARAM,
                                          [&] { port->midi->sendMessage(in_data, in_size); });
    port->unsent = port->unsent || (result == MMSYSERR_NOERROR && port->api == RtMidi::UNIX_JACK);
    return result;
}

void RtMidiService::CloseOutput(MidiHandle in_handle) {
    auto it = m_ptrImpl->outPorts.find(in_handle);
    if (it != m_ptrImpl->outPorts.end()) {
        if (it->second.unsent) {
            // Closing the port drops what its ring buffer still holds: the last
            // messages of a program that ends right after sending (an audition from
            // the command line) would never reach the instrument. A few periods let
            // the process callback take them.
            m_ptrImpl->watcher->AwaitCycles(std::chrono::steady_clock::now() +
                                            RtMidiJackWatcher::kConnectTime);
        }
        m_ptrImpl->Release(it->second);
        m_ptrImpl->outPorts.erase(it);
    }
}
