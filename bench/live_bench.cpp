// How soon a change in the Parameters panel reaches the MIDI service through the pacing
// of LiveSender, against handing the same message to the link directly, and how many
// messages a one-second drag sends, on the plain event loop with real timers.
//
//   live_bench            prints the figures and whether the targets hold
//
// Targets: a change after a quiet interval reaches the service within 20 ms, less than
// 1 ms later than a direct send; a drag with a change every 2 ms for one second sends at
// most 40 messages, its last value last.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "midi/MidiHost.h"
#include "midi/MidiManager.h"
#include "midi/MidiServiceBase.h"
#include "mks80/Messages.h"
#include "ops/LiveOps.h"
#include "ops/LiveSender.h"
#include "platform/EventLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

// One output that notes when each message arrives and what it was.
class ArrivalService : public MidiServiceBase {
  public:
    unsigned InGetNumDevs() override { return 1; }
    unsigned OutGetNumDevs() override { return 1; }
    MMRESULT InGetDevCaps(unsigned, std::string& out_name) override {
        out_name = "bench in";
        return MMSYSERR_NOERROR;
    }
    MMRESULT OutGetDevCaps(unsigned, std::string& out_name) override {
        out_name = "bench out";
        return MMSYSERR_NOERROR;
    }
    std::vector<Clock::time_point> times;
    std::vector<std::vector<uint8_t>> messages;

  protected:
    MMRESULT OpenInput(MidiHandle, unsigned, const InputQueue&) override {
        return MMSYSERR_NOERROR;
    }
    void CloseInput(MidiHandle) override {}
    MMRESULT OpenOutput(MidiHandle, unsigned) override { return MMSYSERR_NOERROR; }
    MMRESULT SendLong(MidiHandle, const uint8_t* in_data, size_t in_size) override {
        times.push_back(Clock::now());
        messages.emplace_back(in_data, in_data + in_size);
        return MMSYSERR_NOERROR;
    }
    void CloseOutput(MidiHandle) override {}
};

class BenchHost : public MidiHost {
  public:
    void SetMidiBusy() override {}
    void ClearMidiBusy() override {}
    int GetPauseTime() override { return 20; }
    void LinkFault(const MidiFault&) override { ++faults; }
    void TransferEnded(const TransferReport&) override {}
    int faults = 0;
};

double Ms(Clock::time_point in_from, Clock::time_point in_to) {
    return std::chrono::duration<double, std::milli>(in_to - in_from).count();
}

std::vector<uint8_t> Cutoff(int in_value) {
    return mks80::Ipr(0, mks80::Kind::Tone, mks80::Half::Upper, {{24, in_value % 101}});
}

double Median(std::vector<double> in_values) {
    std::sort(in_values.begin(), in_values.end());
    return in_values[in_values.size() / 2];
}

}  // namespace

int main() {
    ArrivalService service;
    platform::PlainEventLoop loop;
    BenchHost host;
    CMidiManager link(service, loop, host);
    ops::LiveSender sender(loop, [&link](const ops::LiveSender::Messages& in_messages) {
        (void)ops::SendAll(link, in_messages);
    });
    // The ports open on the first message; that is not what is measured.
    if (link.SendLiveMessage(Cutoff(0)) != LiveSendResult::Sent) {
        std::printf("the bench's port refused the first message\n");
        return 1;
    }

    // A change after a quiet interval, through the pacing and directly; each one a loop
    // turn apart, 40 ms after the one before, so every paced change finds it quiet.
    constexpr int kRuns = 50;
    std::vector<double> paced;
    std::vector<double> direct;
    for (int run = 0; run < kRuns; ++run) {
        loop.RunAfter(40, [&]() {
            const size_t before = service.times.size();
            auto start = Clock::now();
            (void)link.SendLiveMessage(Cutoff(run));
            if (service.times.size() == before + 1) {
                direct.push_back(Ms(start, service.times.back()));
            }
            start = Clock::now();
            sender.Change(1, {Cutoff(run + 1)});
            if (service.times.size() == before + 2) {
                paced.push_back(Ms(start, service.times.back()));
            }
            loop.Quit();
        });
        loop.Run(5000);
    }
    if (paced.size() != kRuns || direct.size() != kRuns) {
        std::printf("a change was held back or lost: %zu paced, %zu direct of %d\n", paced.size(),
                    direct.size(), kRuns);
        return 1;
    }
    const double pacedMs = Median(paced);
    const double directMs = Median(direct);

    // A one-second drag: a change every 2 ms, the value rising each time.
    service.times.clear();
    service.messages.clear();
    const Clock::time_point dragStart = Clock::now();
    int value = 0;
    std::function<void()> step = [&]() {
        sender.Change(1, {Cutoff(++value)});
        if (Ms(dragStart, Clock::now()) < 1000) {
            loop.RunAfter(2, step);
        } else {
            loop.RunAfter(100, [&loop]() { loop.Quit(); });
        }
    };
    loop.Post(step);
    loop.Run(10000);
    const size_t dragMessages = service.messages.size();
    const bool lastLast = !service.messages.empty() && service.messages.back() == Cutoff(value);
    double longestWait = 0;
    for (size_t i = 1; i < service.times.size(); ++i) {
        longestWait = std::max(longestWait, Ms(service.times[i - 1], service.times[i]));
    }

    const bool met = pacedMs < 20 && pacedMs - directMs < 1 && dragMessages <= 40 && lastLast &&
                     host.faults == 0;
    std::printf("change to port: paced=%.3fms direct=%.3fms ratio=%.2f overhead=%.3fms\n", pacedMs,
                directMs, directMs > 0 ? pacedMs / directMs : 0.0, pacedMs - directMs);
    std::printf("drag of 1 s, %d changes: %zu messages, last value last: %s, longest gap %.1fms\n",
                value, dragMessages, lastLast ? "yes" : "NO", longestWait);
    std::printf(
        "targets (under 20 ms, overhead under 1 ms, at most 40 messages, last value "
        "last): %s\n",
        met ? "met" : "NOT met");
    return 0;
}
