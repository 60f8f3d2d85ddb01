#include "midi/Mks80Engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "bank/Archive.h"
#include "bank/BlockLayout.h"
#include "midi/HandshakeMessages.h"
#include "mks80/Messages.h"
#include "mks80/Parameters.h"

namespace {

constexpr uint8_t kActiveSensing = 0xFE;

const char* const kPatchWords[8] = {"Brass Stack", "Warm Pad", "Poly Sync", "Fat Bass",
                                    "Glass Bell",  "Strings",  "Lead Solo", "Clav Split"};
const char* const kToneWords[8] = {"Saw Brass", "Soft Pad", "Sync Lead", "Deep Bass",
                                   "Bell Tone", "Str Ens",  "Square Ld", "Pluck Key"};

// A fixed sequence of varied 7-bit values, the same on every machine.
class DemoBytes {
  public:
    explicit DemoBytes(uint32_t in_start) : m_State(in_start * 2654435761u + 12345u) {}
    int8_t Next() {
        m_State = m_State * 1103515245u + 12345u;
        return static_cast<int8_t>((m_State >> 16) & 0x7F);
    }

  private:
    uint32_t m_State;
};

// A byte of 80H or more inside a system-exclusive message would end it on a real wire.
bool SevenBitBody(const std::vector<uint8_t>& in_message) {
    for (size_t i = 1; i + 1 < in_message.size(); ++i) {
        if (in_message[i] & 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

Mks80Engine::Mks80Engine(Mks80Options in_options, std::string in_memoryPath)
    : m_Options(in_options), m_MemoryPath(std::move(in_memoryPath)), m_Memory(&m_View) {
    LoadMemory();
    // Switched on, it plays its first patch.
    LoadSound(0);
}

void Mks80Engine::LoadMemory() {
    if (m_MemoryPath.empty()) {
        FillDemonstrationBank(m_Memory);
        return;
    }
    std::ifstream in(m_MemoryPath, std::ios::binary);
    if (!in) {
        // First use: the instrument comes with something to fetch.
        FillDemonstrationBank(m_Memory);
        if (!SaveMemory()) {
            std::fprintf(stderr, "Virtual MKS-80: cannot write its memory to %s\n",
                         m_MemoryPath.c_str());
        }
        return;
    }
    CArchive archive(in);
    if (!m_Memory.LoadBank(archive)) {
        // A damaged memory file is left as it is for the user to look at; the
        // instrument starts from the demonstration bank until a dump replaces it.
        std::fprintf(stderr,
                     "Virtual MKS-80: %s is not a whole bank file; using the demonstration bank\n",
                     m_MemoryPath.c_str());
        FillDemonstrationBank(m_Memory);
    }
}

void Mks80Engine::FillDemonstrationBank(CSysExData& in_bank) {
    for (int i = 0; i < BANK_SIZE; ++i) {
        DemoBytes bytes(static_cast<uint32_t>(i) + 1);
        CToneData* tone = in_bank.GetTone(i);
        CPatchData* patch = in_bank.GetPatch(i);
        int8_t toneBytes[TONE_PARAM_COUNT];
        int8_t patchBytes[PATCH_PARAM_COUNT];
        for (int8_t& b : toneBytes) {
            b = bytes.Next();
        }
        for (int8_t& b : patchBytes) {
            b = bytes.Next();
        }
        patchBytes[mks80::PATCH_UPPER_TONE_BYTE] = static_cast<int8_t>(i);
        patchBytes[mks80::PATCH_LOWER_TONE_BYTE] = static_cast<int8_t>((i * 5 + 1) % BANK_SIZE);
        tone->SetData(toneBytes);
        patch->SetData(patchBytes);
        tone->SetName(std::string(kToneWords[i % 8]) + " " + EntryNumber(i));
        patch->SetName(std::string(kPatchWords[(i / 8) % 8]) + " " + EntryNumber(i));
    }
}

std::string Mks80Engine::DefaultMemoryPath() {
    if (const char* path = std::getenv("QUORLIN_VIRTUAL_MEMORY")) {
        if (*path) {
            return path;
        }
    }
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = ".";
    }
    return base + "/Quorlin/virtual-mks80.m80";
}

bool Mks80Engine::SaveMemory() {
    if (m_MemoryPath.empty()) {
        return true;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(m_MemoryPath);
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
    }
    const fs::path temporary = fs::path(m_MemoryPath + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        CArchive archive(out);
        if (!m_Memory.StoreBank(archive)) {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

void Mks80Engine::LoadSound(int in_index) {
    const int8_t* patch = m_Memory.GetPatch(in_index)->GetData();
    std::copy(patch, patch + mks80::PATCH_BYTES, m_Sound.patch.begin());
    // A tone number out of range still plays some tone: the nearest.
    const auto tone = [&](int in_byte) {
        const int number = std::clamp(static_cast<int>(patch[in_byte]), 0, BANK_SIZE - 1);
        return m_Memory.GetTone(number)->GetData();
    };
    const int8_t* upper = tone(mks80::PATCH_UPPER_TONE_BYTE);
    const int8_t* lower = tone(mks80::PATCH_LOWER_TONE_BYTE);
    std::copy(upper, upper + mks80::TONE_BYTES, m_Sound.upperTone.begin());
    std::copy(lower, lower + mks80::TONE_BYTES, m_Sound.lowerTone.begin());
}

std::vector<std::vector<uint8_t>> Mks80Engine::SelectPatch(int in_index) {
    LoadSound(in_index);
    const uint8_t device = mks80::DeviceByte(m_Options.channel);
    std::vector<std::vector<uint8_t>> out{mks80::Pgr(device, in_index)};
    for (std::vector<uint8_t>& apr : mks80::PatchSound(
             device, m_Sound.patch.data(), m_Sound.upperTone.data(), m_Sound.lowerTone.data())) {
        out.push_back(std::move(apr));
    }
    return out;
}

std::optional<std::vector<uint8_t>> Mks80Engine::EditSound(mks80::Kind in_kind, mks80::Half in_half,
                                                           int in_number, int in_value) {
    const mks80::Parameter* param = mks80::FindParameter(in_kind, in_number);
    if (param == nullptr || mks80::StoredFromMessage(*param, in_value) < 0) {
        return std::nullopt;
    }
    const std::vector<uint8_t> ipr =
        mks80::Ipr(mks80::DeviceByte(m_Options.channel), in_kind, in_half, {{in_number, in_value}});
    const std::optional<mks80::LiveMessage> live = mks80::ParseLiveMessage(ipr.data(), ipr.size());
    if (!live) {
        return std::nullopt;
    }
    mks80::ApplyLiveMessage(*live, m_Sound);
    return ipr;
}

std::vector<uint8_t> Mks80Engine::Short(uint8_t in_command) const {
    const auto message = mks80::ShortHandshake(in_command, mks80::DeviceByte(m_Options.channel));
    return std::vector<uint8_t>(message.begin(), message.end());
}

std::vector<uint8_t> Mks80Engine::DataBlock(int in_block) {
    uint8_t header[BLOCK_HEADER_SIZE];
    const auto start = mks80::HandshakeHeader(HS_DAT, mks80::DeviceByte(m_Options.channel));
    std::copy(start.begin(), start.end(), header);
    const DataMessage message = EncodeBlock(in_block, AccessOf(m_Memory), header);
    std::vector<uint8_t> bytes(message.begin(), message.end());
    if (in_block == m_Options.corruptBlock) {
        bytes[BLOCK_CHECKSUM_OFFSET] =
            static_cast<uint8_t>((bytes[BLOCK_CHECKSUM_OFFSET] + 1) & 0x7F);
    }
    if (in_block == m_Options.shortBlock) {
        // The last slot never makes it.
        bytes.resize(BLOCK_SIZE - BLOCK_SLOT_SIZE);
        bytes.back() = 0xF7;
    }
    return bytes;
}

std::vector<std::vector<uint8_t>> Mks80Engine::Receive(const std::vector<uint8_t>& in_message) {
    std::vector<std::vector<uint8_t>> out;
    if (m_Options.echo) {
        out.push_back(in_message);
    }
    if (!mks80::IsHandshakeMessage(in_message.data(), in_message.size()) ||
        in_message[3] != mks80::DeviceByte(m_Options.channel)) {
        return out;  // not this instrument's, or for another one on the same cable
    }
    const uint8_t command = in_message[2];
    if (command == mks80::CMD_APR || command == mks80::CMD_IPR || command == mks80::CMD_PGR) {
        // The sound it plays now, never its memory; nothing is answered.
        if (const auto live = mks80::ParseLiveMessage(in_message.data(), in_message.size())) {
            mks80::ApplyLiveMessage(*live, m_Sound);
        }
        return out;
    }
    if (m_Options.silent) {
        return out;
    }
    auto answer = [&](std::vector<uint8_t> in_answer) {
        if (m_Options.activeSensing) {
            out.push_back({kActiveSensing});
        }
        out.push_back(std::move(in_answer));
    };

    if (m_Options.reject && (command == HS_RQD || command == HS_WSD || command == HS_DAT)) {
        m_State = State::Idle;
        answer(Short(HS_RJC));
        return out;
    }
    // The next block of a dump, or its end where the dump is cut short.
    auto nextOfDump = [&]() {
        if (m_Block == m_Options.endAfterBlocks || m_Block >= BLOCK_COUNT) {
            m_State = State::AwaitingLastAck;
            answer(Short(HS_EOD));
            return;
        }
        if (m_Block == m_Options.strayBeforeBlock) {
            // What else shares the cable: a universal identity request, and a data
            // message for the instrument on the next device byte.
            out.push_back({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
            std::vector<uint8_t> other = DataBlock(m_Block);
            other[3] = static_cast<uint8_t>((other[3] + 1) & 0x0F);
            out.push_back(std::move(other));
        }
        answer(DataBlock(m_Block));
    };
    switch (command) {
        case HS_RQD:
            m_State = State::Dumping;
            m_Block = 0;
            nextOfDump();
            break;
        case HS_WSD:
            m_State = State::Loading;
            m_Block = 0;
            answer(Short(HS_ACK));
            break;
        case HS_ACK:
            if (m_State == State::Dumping) {
                ++m_Block;
                nextOfDump();
            } else if (m_State == State::AwaitingLastAck) {
                m_State = State::Idle;
            }
            break;
        case HS_DAT:
            if (m_State != State::Loading) {
                break;
            }
            if (m_Block < BLOCK_COUNT && m_Block != m_Options.errorBlock &&
                SevenBitBody(in_message) &&
                CheckBlock(in_message.data(), in_message.size()) == BlockCheck::Ok) {
                DecodeBlock(m_Block, in_message.data(), in_message.size(), AccessOf(m_Memory));
                ++m_Block;
                answer(Short(HS_ACK));
            } else {
                answer(Short(HS_ERR));
            }
            break;
        case HS_EOD:
            if (m_State == State::Loading) {
                m_State = State::Idle;
                if (m_Block == BLOCK_COUNT) {
                    ++m_DumpsReceived;
                    if (!SaveMemory()) {
                        // The bank would be gone at the next start: that is no success.
                        std::fprintf(stderr, "Virtual MKS-80: cannot write its memory to %s\n",
                                     m_MemoryPath.c_str());
                        answer(Short(HS_ERR));
                        break;
                    }
                }
                answer(Short(HS_ACK));
            }
            break;
        case HS_RJC:
        case HS_ERR:
            // The host stops the exchange.
            m_State = State::Idle;
            break;
        default:
            break;
    }
    return out;
}
