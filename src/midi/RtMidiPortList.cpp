#include "midi/RtMidiPortList.h"

#include <algorithm>

#include "midi/RtMidiQuietStderr.h"
#include "platform/Trace.h"

RtMidiPortList::RtMidiPortList(const std::string& in_api, const std::string& in_clientName)
    : m_ClientName(in_clientName) {
    if (in_api.empty()) {
        RtMidi::getCompiledApi(m_Wanted);
    } else {
        m_Wanted.push_back(RtMidi::getCompiledApiByName(in_api));
    }
    for (RtMidi::Api api : m_Wanted) {
        Start(api);
    }
}

void RtMidiPortList::ReleaseListers() {
    for (auto& api : m_Apis) {
        Release(api->api, std::move(api->inProbe));
        Release(api->api, std::move(api->outProbe));
    }
}

std::vector<std::string> RtMidiPortList::ApiNames() const {
    std::vector<std::string> names;
    for (const auto& api : m_Apis) {
        names.push_back(api->name);
    }
    return names;
}

void RtMidiPortList::StartNewApis() {
    for (RtMidi::Api api : m_Wanted) {
        const bool running =
            std::any_of(m_Apis.begin(), m_Apis.end(),
                        [api](const std::unique_ptr<Api>& in_api) { return in_api->api == api; });
        if (!running) {
            Start(api);
        }
    }
}

unsigned RtMidiPortList::Count(bool in_input) {
    unsigned count = 0;
    for (const auto& api : m_Apis) {
        count += static_cast<unsigned>(List(*api, in_input).size());
    }
    return count;
}

// Cuts in_name to the length the link shows, never inside a UTF-8 character.
std::string RtMidiPortList::CutName(const std::string& in_name) {
    if (in_name.size() <= kMaxNameLength) {
        return in_name;
    }
    size_t end = kMaxNameLength;
    while (end > 0 && (static_cast<unsigned char>(in_name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return in_name.substr(0, end);
}

void RtMidiPortList::Start(RtMidi::Api in_api) {
    if (in_api == RtMidi::UNSPECIFIED || in_api == RtMidi::RTMIDI_DUMMY) {
        return;
    }
    auto entry = std::make_unique<Api>();
    entry->api = in_api;
    entry->name = RtMidi::getApiName(in_api);
    std::string said;
    try {
        RtMidiQuietStderr quiet;
        try {
            entry->inProbe = New<RtMidiIn>(in_api);
            entry->inProbe->setErrorCallback(&RtMidiErrorSink::OnError, &entry->sink);
            entry->outProbe = New<RtMidiOut>(in_api);
            entry->outProbe->setErrorCallback(&RtMidiErrorSink::OnError, &entry->sink);
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
    m_Apis.push_back(std::move(entry));
}

// The listing object is taken as it is; its successor is made only when the ports
// are next listed. Making a JACK client joins the running graph, and doing that
// while a transfer starts made its first messages go astray.
std::unique_ptr<RtMidiIn> RtMidiPortList::TakeIn(Api& in_api) {
    std::unique_ptr<RtMidiIn> taken = std::move(in_api.inProbe);
    return taken ? std::move(taken) : New<RtMidiIn>(in_api.api);
}

std::unique_ptr<RtMidiOut> RtMidiPortList::TakeOut(Api& in_api) {
    std::unique_ptr<RtMidiOut> taken = std::move(in_api.outProbe);
    return taken ? std::move(taken) : New<RtMidiOut>(in_api.api);
}

template <typename Midi>
RtMidi* RtMidiPortList::Lister(Api& in_api, std::unique_ptr<Midi>& in_probe) {
    if (!in_probe) {
        try {
            RtMidiQuietStderr quiet;
            in_probe = New<Midi>(in_api.api);
            in_probe->setErrorCallback(&RtMidiErrorSink::OnError, &in_api.sink);
        } catch (...) {
            in_probe.reset();
        }
    }
    return in_probe.get();
}

std::vector<RtMidiPortList::Listed> RtMidiPortList::List(Api& in_api, bool in_input) {
    std::vector<Listed> listed;
    RtMidi* probe = in_input ? Lister(in_api, in_api.inProbe) : Lister(in_api, in_api.outProbe);
    if (probe == nullptr) {
        return listed;
    }
    const MMRESULT result = RtMidiGuarded(in_api.sink, MMSYSERR_ERROR, MMSYSERR_ERROR, [&] {
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
bool RtMidiPortList::IsOwnPort(const std::string& in_name) const {
    if (in_name.compare(0, m_ClientName.size(), m_ClientName) != 0) {
        return false;
    }
    size_t at = m_ClientName.size();
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
    for (const std::string& own : m_OwnPortNames) {
        if (port.compare(0, own.size(), own) == 0 &&
            (port.size() == own.size() || port[own.size()] == ' ')) {
            return true;
        }
    }
    return false;
}

bool RtMidiPortList::Locate(bool in_input, unsigned in_id, Api*& out_api, unsigned& out_port,
                            std::string& out_name) {
    unsigned first = 0;
    for (const std::unique_ptr<Api>& api : m_Apis) {
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
