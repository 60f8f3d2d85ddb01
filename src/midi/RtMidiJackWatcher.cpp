#include "midi/RtMidiJackWatcher.h"

#include <algorithm>
#include <thread>

#include "platform/Trace.h"

#ifdef QUORLIN_HAVE_JACK
#include <jack/jack.h>
#endif

namespace {
#ifdef QUORLIN_HAVE_JACK
jack_client_t* Jack(void* in_client) {
    return static_cast<jack_client_t*>(in_client);
}
#endif
}  // namespace

void* RtMidiJackWatcher::Client() {
#ifdef QUORLIN_HAVE_JACK
    if (!m_Tried) {
        m_Tried = true;
        jack_status_t status;
        m_Client = jack_client_open("Quorlin-watch", JackNoStartServer, &status);
    }
#endif
    return m_Client;
}

void RtMidiJackWatcher::Close() {
#ifdef QUORLIN_HAVE_JACK
    if (m_Client != nullptr) {
        jack_client_close(Jack(m_Client));
        m_Client = nullptr;
    }
#endif
}

std::optional<std::vector<std::string>> RtMidiJackWatcher::Connections(const std::string& in_port) {
#ifdef QUORLIN_HAVE_JACK
    jack_client_t* const watcher = Jack(Client());
    if (watcher == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> names;
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
    (void)in_port;
    return std::nullopt;
#endif
}

// Once the graph lists a connection, the server carries it from a later cycle, and a
// client that has just joined the graph runs its first cycles late (JACK drops the
// MIDI of a late client): the first message of a transfer waits kSettleCycles more
// periods, a few milliseconds, but never beyond in_end.
void RtMidiJackWatcher::AwaitCycles(std::chrono::steady_clock::time_point in_end) {
#ifdef QUORLIN_HAVE_JACK
    constexpr unsigned kSettleCycles = 8;
    jack_client_t* const watcher = Jack(Client());
    if (watcher == nullptr) {
        return;
    }
    const jack_nframes_t wanted = kSettleCycles * jack_get_buffer_size(watcher);
    const jack_nframes_t start = jack_frame_time(watcher);
    while (jack_frame_time(watcher) - start < wanted && std::chrono::steady_clock::now() < in_end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
#else
    (void)in_end;
#endif
}

void RtMidiJackWatcher::AwaitNewConnection(
    const std::string& in_port, const std::optional<std::vector<std::string>>& in_before) {
    if (!in_before) {
        return;
    }
    const auto end = std::chrono::steady_clock::now() + kConnectTime;
    while (std::chrono::steady_clock::now() < end) {
        const std::optional<std::vector<std::string>> now = Connections(in_port);
        if (!now) {
            return;
        }
        for (const std::string& name : *now) {
            if (std::find(in_before->begin(), in_before->end(), name) == in_before->end()) {
                AwaitCycles(end);
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    QUORLIN_TRACE("\nRtMidiService: the JACK connection to %s is not in use yet", in_port.c_str());
}
