#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A JACK client without ports that reads the graph, so that opening a port can wait
// until the running graph carries its connection; closed with its service. Without
// JACK it can tell nothing and waits for nothing.
class RtMidiJackWatcher {
  public:
    RtMidiJackWatcher() = default;
    ~RtMidiJackWatcher() { Close(); }
    RtMidiJackWatcher(const RtMidiJackWatcher&) = delete;
    RtMidiJackWatcher& operator=(const RtMidiJackWatcher&) = delete;

    void Close();

    // The connections of a JACK port as the graph in use has them. jack_connect
    // returns before the running graph carries the new connection, so a message sent
    // at once may go nowhere: the first message of a transfer was lost that way.
    // nullopt when that cannot be told.
    std::optional<std::vector<std::string>> Connections(const std::string& in_port);

    // Waits until in_port has a connection that in_before did not list, or
    // kConnectTime has passed (then the open goes on: nothing better can be done).
    void AwaitNewConnection(const std::string& in_port,
                            const std::optional<std::vector<std::string>>& in_before);

    // Waits a few of the server's periods, never beyond in_end.
    void AwaitCycles(std::chrono::steady_clock::time_point in_end);

    static constexpr std::chrono::milliseconds kConnectTime{2000};

  private:
    // The client, made on first use (jack_client_t, which this header does not name).
    void* Client();

    void* m_Client = nullptr;
    bool m_Tried = false;
};
