#include "bank/StandardMidiFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kEscape = 0xF7;
constexpr uint8_t kMeta = 0xFF;
// With a tempo of 500 000 us per quarter note and 500 ticks to the quarter, a tick is 1 ms.
constexpr unsigned kTicksPerQuarter = 500;
constexpr unsigned kMicrosecondsPerQuarter = 500000;
// A byte on the cable is 10 bits at 31 250 baud: 0.32 ms.
constexpr unsigned kBitsPerByte = 10;
constexpr unsigned kBaud = 31250;
// Room for the instrument to take in a message before the next one arrives.
constexpr unsigned kSpareMilliseconds = 10;

uint32_t BigEndian(const uint8_t* in_data, int in_count) {
    uint32_t value = 0;
    for (int i = 0; i < in_count; ++i) {
        value = (value << 8) | in_data[i];
    }
    return value;
}

// Reads a variable-length number of at most 4 bytes; false when it runs past in_end.
bool ReadVarLength(const uint8_t*& io_p, const uint8_t* in_end, uint32_t& out_value) {
    out_value = 0;
    for (int i = 0; i < 4; ++i) {
        if (io_p >= in_end) {
            return false;
        }
        const uint8_t byte = *io_p++;
        out_value = (out_value << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) {
            return true;
        }
    }
    return false;
}

void AppendVarLength(std::string& io_out, uint32_t in_value) {
    uint8_t bytes[4];
    int count = 0;
    do {
        bytes[count++] = static_cast<uint8_t>(in_value & 0x7F);
        in_value >>= 7;
    } while (in_value && count < 4);
    for (int i = count - 1; i >= 0; --i) {
        io_out += static_cast<char>(bytes[i] | (i ? 0x80 : 0));
    }
}

void AppendBigEndian(std::string& io_out, uint32_t in_value, int in_count) {
    for (int i = in_count - 1; i >= 0; --i) {
        io_out += static_cast<char>((in_value >> (8 * i)) & 0xFF);
    }
}

struct TimedMessage {
    uint64_t time;
    std::vector<uint8_t> bytes;
};

// Data bytes that channel messages of status in_status carry.
int ChannelDataBytes(uint8_t in_status) {
    const uint8_t kind = in_status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Collects the system-exclusive messages of one track; false with out_error on damage.
bool ReadTrack(const uint8_t* in_p, const uint8_t* in_end, std::vector<TimedMessage>& io_messages,
               std::string& out_error) {
    uint64_t time = 0;
    uint8_t running = 0;
    // The message an F0H event began and F7H events may continue.
    bool open = false;
    while (in_p < in_end) {
        uint32_t delta = 0;
        if (!ReadVarLength(in_p, in_end, delta) || in_p >= in_end) {
            out_error = "a track ends inside an event";
            return false;
        }
        time += delta;
        const uint8_t status = *in_p;
        if (status == kSysEx || status == kEscape) {
            ++in_p;
            uint32_t length = 0;
            if (!ReadVarLength(in_p, in_end, length) || length > size_t(in_end - in_p)) {
                out_error = "a system-exclusive event runs past its track";
                return false;
            }
            if (status == kSysEx) {
                io_messages.push_back({time, {kSysEx}});
                open = true;
            } else if (!open) {
                // An escape outside a message carries bytes of its own; a message
                // that starts in it is taken like one from an F0H event.
                io_messages.push_back({time, {}});
            }
            std::vector<uint8_t>& message = io_messages.back().bytes;
            message.insert(message.end(), in_p, in_p + length);
            open = length == 0 || in_p[length - 1] != 0xF7 ? open : false;
            if (status == kEscape && message.empty()) {
                io_messages.pop_back();
            }
            in_p += length;
            running = 0;
            continue;
        }
        if (status == kMeta) {
            if (in_end - in_p < 2) {
                out_error = "a track ends inside an event";
                return false;
            }
            const uint8_t type = in_p[1];
            in_p += 2;
            uint32_t length = 0;
            if (!ReadVarLength(in_p, in_end, length) || length > size_t(in_end - in_p)) {
                out_error = "a meta event runs past its track";
                return false;
            }
            in_p += length;
            if (type == 0x2F) {
                return true;
            }
            continue;
        }
        uint8_t channelStatus = running;
        if (status & 0x80) {
            if (status >= 0xF0) {
                // No other system message may stand in a file.
                out_error = "a track holds a byte that starts no event";
                return false;
            }
            channelStatus = status;
            ++in_p;
        } else if (!running) {
            out_error = "a track holds data without a status byte";
            return false;
        }
        running = channelStatus;
        const int data = ChannelDataBytes(channelStatus);
        if (in_end - in_p < data) {
            out_error = "a track ends inside an event";
            return false;
        }
        in_p += data;
    }
    return true;
}

}  // namespace

bool StartsLikeMidiFile(const uint8_t* in_data, size_t in_size) {
    return in_size >= 4 && std::memcmp(in_data, "MThd", 4) == 0;
}

MidiFileSysEx ReadMidiFileSysEx(const uint8_t* in_data, size_t in_size) {
    MidiFileSysEx result;
    if (!StartsLikeMidiFile(in_data, in_size) || in_size < 14) {
        result.error = "not a Standard MIDI File";
        return result;
    }
    const uint32_t headerLength = BigEndian(in_data + 4, 4);
    const uint32_t format = BigEndian(in_data + 8, 2);
    const uint32_t tracks = BigEndian(in_data + 10, 2);
    if (headerLength < 6 || headerLength > in_size - 8) {
        result.error = "its header is damaged";
        return result;
    }
    if (format > 1) {
        result.error = "a MIDI file of format " + std::to_string(format) + " is not read";
        return result;
    }
    std::vector<TimedMessage> messages;
    size_t p = 8 + size_t(headerLength);
    uint32_t found = 0;
    while (found < tracks && in_size - p >= 8) {
        const uint32_t length = BigEndian(in_data + p + 4, 4);
        const bool isTrack = std::memcmp(in_data + p, "MTrk", 4) == 0;
        p += 8;
        if (length > in_size - p) {
            result.error = "a chunk runs past the end of the file";
            return result;
        }
        if (isTrack) {
            std::vector<TimedMessage> track;
            if (!ReadTrack(in_data + p, in_data + p + length, track, result.error)) {
                return result;
            }
            // Tracks play together: their messages are merged by time, an earlier
            // track's first where times are equal.
            std::vector<TimedMessage> merged;
            std::merge(
                std::make_move_iterator(messages.begin()), std::make_move_iterator(messages.end()),
                std::make_move_iterator(track.begin()), std::make_move_iterator(track.end()),
                std::back_inserter(merged),
                [](const TimedMessage& a, const TimedMessage& b) { return a.time < b.time; });
            messages = std::move(merged);
            ++found;
        }
        p += length;
    }
    if (found < tracks) {
        result.error = "it holds fewer tracks than its header says";
        return result;
    }
    for (TimedMessage& message : messages) {
        result.messages.push_back(std::move(message.bytes));
    }
    result.ok = true;
    return result;
}

std::string MidiFileOf(const std::string& in_messages) {
    std::string track;
    // The tempo is set so that ticks are milliseconds, whatever a player assumes.
    track += std::string("\x00\xFF\x51\x03", 4);
    AppendBigEndian(track, kMicrosecondsPerQuarter, 3);
    uint32_t delta = 0;
    size_t p = 0;
    while (p < in_messages.size()) {
        size_t end = in_messages.find('\xF7', p);
        end = end == std::string::npos ? in_messages.size() : end + 1;
        const size_t length = end - p;
        AppendVarLength(track, delta);
        track += static_cast<char>(kSysEx);
        // The event holds the message without its F0H.
        AppendVarLength(track, static_cast<uint32_t>(length - 1));
        track.append(in_messages, p + 1, length - 1);
        const uint32_t cableMs =
            static_cast<uint32_t>((length * kBitsPerByte * 1000 + kBaud - 1) / kBaud);
        delta = cableMs + kSpareMilliseconds;
        p = end;
    }
    AppendVarLength(track, delta);
    track += std::string("\xFF\x2F\x00", 3);

    std::string file("MThd", 4);
    AppendBigEndian(file, 6, 4);
    AppendBigEndian(file, 0, 2);  // format 0
    AppendBigEndian(file, 1, 2);  // one track
    AppendBigEndian(file, kTicksPerQuarter, 2);
    file += "MTrk";
    AppendBigEndian(file, static_cast<uint32_t>(track.size()), 4);
    return file + track;
}
