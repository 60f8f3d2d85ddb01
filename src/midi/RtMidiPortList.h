#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiInputQueue.h"
#include "midi/RtMidiErrorSink.h"
#include "midi/RtMidiJackPark.h"

// The ports of every RtMidi API that starts on this machine, the ports of the first
// API first, without the ports this program opened itself; and the RtMidi objects
// that list them, which the first port opened takes over.
class RtMidiPortList {
  public:
    // One API that started, with an input and an output object that list its
    // ports. The first port opened takes over the listing object, so that it
    // carries the client name unchanged (JACK numbers every further client of
    // the same name); a new one takes its place.
    struct Api {
        RtMidi::Api api = RtMidi::UNSPECIFIED;
        std::string name;
        RtMidiErrorSink sink;
        std::unique_ptr<RtMidiIn> inProbe;
        std::unique_ptr<RtMidiOut> outProbe;
    };
    // The longest device name the link shows.
    static constexpr size_t kMaxNameLength = 31;

    // Starts the APIs named in_api ("" every one compiled in).
    RtMidiPortList(const std::string& in_api, const std::string& in_clientName);
    ~RtMidiPortList() { ReleaseListers(); }
    RtMidiPortList(const RtMidiPortList&) = delete;
    RtMidiPortList& operator=(const RtMidiPortList&) = delete;

    const std::string& ClientName() const { return m_ClientName; }
    std::vector<std::string> ApiNames() const;
    // An API that starts now has its ports listed after all the others: no id moves.
    void StartNewApis();
    Api* FirstApi() { return m_Apis.empty() ? nullptr : m_Apis.front().get(); }
    // A port of our own named in_name, left out of the lists from now on.
    void AddOwnPort(const std::string& in_name) { m_OwnPortNames.push_back(in_name); }

    unsigned Count(bool in_input);
    // The API, its port number and the port's name for device id in_id, or false.
    bool Locate(bool in_input, unsigned in_id, Api*& out_api, unsigned& out_port,
                std::string& out_name);
    // Cuts in_name to the length the link shows, never inside a UTF-8 character.
    static std::string CutName(const std::string& in_name);

    // Lets the listing objects go (parked, for JACK).
    void ReleaseListers();

    // The listing object of in_api for a port about to open; its successor is made
    // only when the ports are next listed.
    std::unique_ptr<RtMidiIn> TakeIn(Api& in_api);
    std::unique_ptr<RtMidiOut> TakeOut(Api& in_api);

    // A new RtMidi object of in_api, or one this process parked (JACK).
    template <typename Midi>
    std::unique_ptr<Midi> New(RtMidi::Api in_api) {
        if (in_api == RtMidi::UNIX_JACK) {
            if (std::unique_ptr<Midi> parked = RtMidiJackPark::Get().Take<Midi>(m_ClientName)) {
                return parked;
            }
        }
        return std::make_unique<Midi>(in_api, m_ClientName);
    }
    // Lets go of an RtMidi object: destroyed, or parked (JACK) with in_queue.
    template <typename Midi>
    void Release(RtMidi::Api in_api, std::unique_ptr<Midi> in_midi,
                 std::shared_ptr<MidiInputQueue> in_queue = nullptr) {
        if (!in_midi) {
            return;
        }
        if (in_api == RtMidi::UNIX_JACK) {
            RtMidiJackPark::Get().Release(std::move(in_midi), m_ClientName, std::move(in_queue));
            return;
        }
        try {
            in_midi.reset();
        } catch (...) {
        }
    }

  private:
    // RtMidi's port number and name of each port of in_api that is listed.
    struct Listed {
        unsigned port;
        std::string name;
    };
    void Start(RtMidi::Api in_api);
    std::vector<Listed> List(Api& in_api, bool in_input);
    bool IsOwnPort(const std::string& in_name) const;
    // in_probe, made first when it has been taken.
    template <typename Midi>
    RtMidi* Lister(Api& in_api, std::unique_ptr<Midi>& in_probe);

    std::string m_ClientName;
    // The names our own ports are opened with; the virtual ports' names join them.
    std::vector<std::string> m_OwnPortNames = {"in", "out"};
    std::vector<std::unique_ptr<Api>> m_Apis;
    // The APIs asked for, whether they started or not.
    std::vector<RtMidi::Api> m_Wanted;
};
