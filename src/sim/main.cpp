// mks80-sim: the virtual MKS-80 on MIDI ports of its own ("MKS-80 in" and
// "MKS-80 out") that other programs connect to, for end-to-end tests and for
// trying Quorlin without the hardware. Lines on its standard input work its panel.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/Mks80Engine.h"
#include "midi/RtMidiService.h"
#include "platform/CommandLine.h"
#include "sim/PanelLine.h"

namespace {

const char* const kHelp =
    "Usage: mks80-sim [OPTIONS]\n"
    "\n"
    "Runs a virtual MKS-80 on a MIDI input port \"MKS-80 in\" and an output port\n"
    "\"MKS-80 out\" until it is interrupted (SIGINT or SIGTERM), then saves its memory.\n"
    "Prints \"mks80-sim: ready\" once the ports exist.\n"
    "\n"
    "Like the hardware in its MIDI function III, it keeps the sound it plays now: an APR\n"
    "or IPR on its channel changes that sound, never its memory, and is not answered.\n"
    "Lines on standard input work its panel and are announced as the hardware does:\n"
    "  select NUMBER        patch NUMBER (11 to 88) of its memory becomes the current\n"
    "                       sound: it sends a PGR, then the APRs of the patch's upper and\n"
    "                       lower half and of the upper and lower tone the patch names\n"
    "  edit tone|upper|lower PARAM VALUE\n"
    "                       parameter PARAM of the current upper tone (tone) or of a patch\n"
    "                       half to VALUE, the value the messages carry: it sends an IPR\n"
    "  send HEX...          sends these bytes (F0 ... F7, two hex digits each) as they are\n"
    "A line it cannot take is named on standard error and changes nothing. The end of\n"
    "standard input does not stop it.\n"
    "\n"
    "Options:\n"
    "  --api jack|alsa      the MIDI API to make the ports on (default: the first that starts)\n"
    "  --channel N          MIDI channel 1 to 16 (default 1)\n"
    "  --memory FILE        the bank file that keeps the instrument's memory (default:\n"
    "                       $QUORLIN_VIRTUAL_MEMORY, else\n"
    "                       $XDG_DATA_HOME/Quorlin/virtual-mks80.m80)\n"
    "  --answer-ms MS       how long the instrument takes to answer (default 0)\n"
    "  --wire-time          every message takes its 31 250 baud wire time\n"
    "  --verbose            print every message received and sent on standard output,\n"
    "                       one a line: \"received F0 41 ...\" or \"sent F0 41 ...\"\n"
    "\n"
    "Faults, for tests:\n"
    "  --silent             never answer\n"
    "  --reject             answer every request with reject (4FH)\n"
    "  --echo               send every message straight back\n"
    "  --corrupt-block K    block K (0 to 15) of a dump goes out with a wrong checksum\n"
    "  --short-block K      block K (0 to 15) of a dump goes out cut short\n"
    "  --active-sensing     an active-sensing byte (FEH) before every answer\n"
    "  --sensing-ms N       an active-sensing byte (FEH) every N ms, as many instruments do\n"
    "  --stray-before K     other devices' system-exclusive messages before block K of a dump\n"
    "  --end-after K        a dump ends (end of data) after K blocks (0 to 15)\n"
    "  --error-block K      block K of a dump it is sent is answered with error (4EH), as a\n"
    "                       block holding a byte it cannot take is\n";

constexpr size_t kBufferSize = 1000;
constexpr size_t kBufferCount = 4;
constexpr int kByteMicros = 320;

volatile std::sig_atomic_t g_Stop = 0;

void OnSignal(int) {
    g_Stop = 1;
}

struct Settings {
    int sensingMs = 0;
    bool verbose = false;
    std::string api;
    std::string memoryPath;
    Mks80Options options;
};

// Fills out_settings from the command line; returns -1 to go on, else the exit code.
int Parse(const std::vector<std::string>& in_args, Settings& out_settings) {
    out_settings.memoryPath = Mks80Engine::DefaultMemoryPath();
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        const bool hasValue = i + 1 < in_args.size();
        const std::string value = hasValue ? in_args[i + 1] : std::string();
        auto number = [&](int in_min, int in_max, int& out_value, const char* in_what) {
            if (!hasValue || !platform::ParseWholeNumber(value, in_min, in_max, out_value)) {
                std::fprintf(stderr, "mks80-sim: %s wants %s\n", arg.c_str(), in_what);
                return false;
            }
            ++i;
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--api") {
            if (!hasValue || (value != "jack" && value != "alsa")) {
                std::fprintf(stderr, "mks80-sim: --api wants jack or alsa\n");
                return 1;
            }
            out_settings.api = value;
            ++i;
        } else if (arg == "--memory") {
            if (!hasValue || value.empty()) {
                std::fprintf(stderr, "mks80-sim: --memory wants a file name\n");
                return 1;
            }
            out_settings.memoryPath = value;
            ++i;
        } else if (arg == "--channel") {
            if (!number(1, 16, out_settings.options.channel, "a MIDI channel from 1 to 16")) {
                return 1;
            }
        } else if (arg == "--answer-ms") {
            if (!number(0, 60000, out_settings.options.answerMs, "milliseconds, 0 to 60000")) {
                return 1;
            }
        } else if (arg == "--corrupt-block") {
            if (!number(0, 15, out_settings.options.corruptBlock, "a block from 0 to 15")) {
                return 1;
            }
        } else if (arg == "--short-block") {
            if (!number(0, 15, out_settings.options.shortBlock, "a block from 0 to 15")) {
                return 1;
            }
        } else if (arg == "--stray-before") {
            if (!number(0, 15, out_settings.options.strayBeforeBlock, "a block from 0 to 15")) {
                return 1;
            }
        } else if (arg == "--end-after") {
            if (!number(0, 15, out_settings.options.endAfterBlocks, "a count from 0 to 15")) {
                return 1;
            }
        } else if (arg == "--error-block") {
            if (!number(0, 15, out_settings.options.errorBlock, "a block from 0 to 15")) {
                return 1;
            }
        } else if (arg == "--sensing-ms") {
            if (!number(1, 60000, out_settings.sensingMs, "milliseconds, 1 to 60000")) {
                return 1;
            }
        } else if (arg == "--verbose") {
            out_settings.verbose = true;
        } else if (arg == "--wire-time") {
            out_settings.options.wireTime = true;
        } else if (arg == "--silent") {
            out_settings.options.silent = true;
        } else if (arg == "--reject") {
            out_settings.options.reject = true;
        } else if (arg == "--echo") {
            out_settings.options.echo = true;
        } else if (arg == "--active-sensing") {
            out_settings.options.activeSensing = true;
        } else {
            std::fprintf(stderr, "mks80-sim: unknown option %s (see mks80-sim --help)\n",
                         arg.c_str());
            return 1;
        }
    }
    return -1;
}

// What the main thread is handed, in order of arrival: a complete message with the
// buffer it came in (null for a short message), to be queued again there (the callback
// may not call back into the service), or a line from standard input.
struct InboxItem {
    std::vector<uint8_t> message;
    MidiHdr* header = nullptr;
    bool isLine = false;
    std::string line;
};

class Inbox {
  public:
    void Put(InboxItem in_item) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Items.push_back(std::move(in_item));
        m_Changed.notify_one();
    }
    // Waits up to in_wait for the next item; false when none came.
    bool Take(InboxItem& out_item, std::chrono::milliseconds in_wait) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        if (!m_Changed.wait_for(lock, in_wait, [this] { return !m_Items.empty(); })) {
            return false;
        }
        out_item = std::move(m_Items.front());
        m_Items.pop_front();
        return true;
    }

  private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::deque<InboxItem> m_Items;
};

// The bytes of a short message as the service packs them, status in the low byte.
std::vector<uint8_t> ShortBytes(uint32_t in_packed) {
    const uint8_t status = static_cast<uint8_t>(in_packed & 0xFF);
    size_t length = 1;
    if ((status >= 0x80 && status < 0xC0) || (status >= 0xE0 && status < 0xF0) || status == 0xF2) {
        length = 3;
    } else if ((status >= 0xC0 && status < 0xE0) || status == 0xF1 || status == 0xF3) {
        length = 2;
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < length; ++i) {
        bytes.push_back(static_cast<uint8_t>((in_packed >> (8 * i)) & 0xFF));
    }
    return bytes;
}

// Hands every line of standard input to in_inbox until its end. Never joined: it may
// sit in a read when the simulator ends. Shares the inbox, so either may go first.
void ReadLines(std::shared_ptr<Inbox> in_inbox) {
    std::string pending;
    char chunk[512];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got == 0) {
            return;  // the end of input: the instrument plays on
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EIO) {
                // A terminal that is not ours while we run in the background; it may be later.
                std::this_thread::sleep_for(std::chrono::seconds(1));
                continue;
            }
            return;
        }
        pending.append(chunk, static_cast<size_t>(got));
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            InboxItem item;
            item.isLine = true;
            item.line = pending.substr(0, end);
            pending.erase(0, end + 1);
            in_inbox->Put(std::move(item));
        }
    }
}

// "received ..." or "sent ...", at once, for a test that reads along.
void Trace(bool in_verbose, const char* in_what, const std::vector<uint8_t>& in_bytes) {
    if (in_verbose) {
        std::printf("%s %s\n", in_what, HexBytes(in_bytes).c_str());
        std::fflush(stdout);
    }
}

void Pause(std::chrono::microseconds in_time) {
    const auto end = std::chrono::steady_clock::now() + in_time;
    while (!g_Stop && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::min<std::chrono::microseconds>(
            std::chrono::duration_cast<std::chrono::microseconds>(end -
                                                                  std::chrono::steady_clock::now()),
            std::chrono::milliseconds(20)));
    }
}

bool SendAnswer(RtMidiService& in_service, MidiHandle in_out, const std::vector<uint8_t>& in_bytes,
                bool in_verbose) {
    MidiHdr header;
    header.data = in_bytes;
    header.bufferLength = static_cast<uint32_t>(in_bytes.size());
    MMRESULT result = in_service.OutPrepareHeader(in_out, header);
    if (result == MMSYSERR_NOERROR) {
        result = in_service.OutLongMsg(in_out, header);
    }
    (void)in_service.OutUnprepareHeader(in_out, header);
    if (result != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "mks80-sim: sending a message of %zu bytes failed (error %u)\n",
                     in_bytes.size(), static_cast<unsigned>(result));
        return false;
    }
    Trace(in_verbose, "sent", in_bytes);
    return true;
}

int Run(const Settings& in_settings) {
    // The inbox and the buffers outlive the service, whose input may use them
    // until its ports are closed.
    const auto inbox = std::make_shared<Inbox>();
    std::vector<std::unique_ptr<MidiHdr>> buffers;
    RtMidiService service(in_settings.api, "mks80-sim");
    if (service.ApiNames().empty()) {
        std::fprintf(stderr, "mks80-sim: no MIDI API started%s\n",
                     in_settings.api == "jack" ? " (is the JACK server running?)" : "");
        return 1;
    }
    // Made only once there are ports to serve: a first start makes its memory file.
    Mks80Engine engine(in_settings.options, in_settings.memoryPath);
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    MMRESULT result = service.InOpenVirtual(
        in, "MKS-80 in",
        [inbox](MidiHandle, MidiInEvent in_event, MidiHdr* in_header, uint32_t in_param1,
                uint32_t) {
            InboxItem item;
            if (in_event == MidiInEvent::Data) {
                item.message = ShortBytes(in_param1);
            } else if (in_header == nullptr) {
                return;
            } else if (in_event == MidiInEvent::LongData) {
                item.message.assign(in_header->data.begin(),
                                    in_header->data.begin() + in_header->bytesRecorded);
            }
            // A message too long for the buffer is no message of the protocol;
            // its buffer still goes back into the queue.
            item.header = in_header;
            inbox->Put(std::move(item));
        });
    if (result == MMSYSERR_NOERROR) {
        result = service.InStart(in);
    }
    for (size_t i = 0; i < kBufferCount && result == MMSYSERR_NOERROR; ++i) {
        buffers.push_back(std::make_unique<MidiHdr>());
        buffers.back()->data.assign(kBufferSize, 0);
        buffers.back()->bufferLength = kBufferSize;
        result = service.InPrepareHeader(in, *buffers.back());
        if (result == MMSYSERR_NOERROR) {
            result = service.InAddBuffer(in, *buffers.back());
        }
    }
    if (result != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "mks80-sim: cannot make the input port (error %u)\n",
                     static_cast<unsigned>(result));
        return 1;
    }
    result = service.OutOpenVirtual(out, "MKS-80 out");
    if (result != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "mks80-sim: cannot make the output port (error %u)\n",
                     static_cast<unsigned>(result));
        return 1;
    }
    std::fprintf(stderr, "mks80-sim: MKS-80 on channel %d over %s, memory %s\n",
                 in_settings.options.channel, service.ApiNames().front().c_str(),
                 in_settings.memoryPath.c_str());
    std::printf("mks80-sim: ready\n");
    std::fflush(stdout);
    std::thread(ReadLines, inbox).detach();

    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds sensingPeriod(in_settings.sensingMs);
    Clock::time_point nextSensing = Clock::now() + sensingPeriod;
    while (!g_Stop) {
        std::chrono::milliseconds wait(50);
        if (in_settings.sensingMs > 0) {
            const Clock::time_point now = Clock::now();
            if (now >= nextSensing) {
                (void)SendAnswer(service, out, {0xFE}, in_settings.verbose);
                nextSensing = now + sensingPeriod;
            }
            wait = std::min(
                wait, std::chrono::duration_cast<std::chrono::milliseconds>(nextSensing - now));
        }
        InboxItem item;
        if (!inbox->Take(item, wait)) {
            continue;
        }
        if (item.isLine) {
            const PanelAction action = RunPanelLine(item.line, engine);
            if (!action.error.empty()) {
                std::fprintf(stderr, "mks80-sim: %s\n", action.error.c_str());
            }
            for (const std::vector<uint8_t>& message : action.messages) {
                (void)SendAnswer(service, out, message, in_settings.verbose);
            }
            continue;
        }
        if (item.header && service.InAddBuffer(in, *item.header) != MMSYSERR_NOERROR) {
            std::fprintf(stderr, "mks80-sim: an input buffer could not be queued again\n");
        }
        if (item.message.empty()) {
            continue;
        }
        Trace(in_settings.verbose, "received", item.message);
        if (item.header == nullptr) {
            continue;  // a short message: nothing the instrument answers
        }
        const std::vector<std::vector<uint8_t>> answers = engine.Receive(item.message);
        if (answers.empty()) {
            continue;
        }
        Pause(std::chrono::milliseconds(in_settings.options.answerMs));
        for (const std::vector<uint8_t>& answer : answers) {
            if (in_settings.options.wireTime) {
                Pause(std::chrono::microseconds(kByteMicros * answer.size()));
            }
            if (g_Stop) {
                break;
            }
            (void)SendAnswer(service, out, answer, in_settings.verbose);
            if (in_settings.sensingMs > 0 && Clock::now() >= nextSensing) {
                // Between the messages of an answer, as on a real cable.
                (void)SendAnswer(service, out, {0xFE}, in_settings.verbose);
                nextSensing = Clock::now() + sensingPeriod;
            }
        }
    }

    (void)service.InClose(in);
    (void)service.OutClose(out);
    if (!engine.SaveMemory()) {
        std::fprintf(stderr, "mks80-sim: the memory could not be saved to %s\n",
                     in_settings.memoryPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    const int parsed = Parse(std::vector<std::string>(argv + 1, argv + argc), settings);
    if (parsed >= 0) {
        return parsed;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    // Reading a terminal from the background must not stop the instrument.
    std::signal(SIGTTIN, SIG_IGN);
    return Run(settings);
}
