#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bank/SysExData.h"
#include "mks80/SoundTracker.h"

// How the virtual instrument behaves; the switches make it a test partner.
struct Mks80Options {
    int channel = 1;             // 1 to 16: its device byte is channel - 1
    bool silent = false;         // never answers
    bool reject = false;         // answers every request with reject (4FH)
    bool echo = false;           // sends every message it receives straight back
    int corruptBlock = -1;       // this block of its dump goes out with a wrong checksum
    int shortBlock = -1;         // this block of its dump goes out cut short
    bool activeSensing = false;  // an active-sensing byte (FEH) before every answer
    int strayBeforeBlock = -1;   // other devices' system-exclusive messages before this block
    int endAfterBlocks = -1;     // its dump ends (EOD) after this many blocks
    int errorBlock = -1;         // answers this block of a dump it is sent with error (4EH)
    bool wireTime = false;       // messages take the 31 250 baud wire time (320 us a byte)
    int answerMs = 0;            // how long it takes to answer
};

// The MKS-80's handshake bulk dump, with no transport: a complete message in, the
// instrument's answers out. Its memory is a bank kept in a bank file. Beside the memory
// it keeps the sound it plays now, which APR and IPR change (never the memory) and which
// its panel selects and edits.
class Mks80Engine {
  public:
    // in_memoryPath empty: the memory lives only as long as the engine. A missing
    // file is made with a demonstration bank.
    Mks80Engine(Mks80Options in_options, std::string in_memoryPath);

    // One complete message from the host; returns what the instrument sends back,
    // in order (a short message such as active sensing is a 1-byte vector).
    std::vector<std::vector<uint8_t>> Receive(const std::vector<uint8_t>& in_message);

    CSysExData& Memory() { return m_Memory; }
    const Mks80Options& Options() const { return m_Options; }
    // Writes the memory to its file (through a temporary file). False when that failed.
    bool SaveMemory();
    // Completed dumps received from the host since construction.
    int DumpsReceived() const { return m_DumpsReceived; }

    // The sound it plays now: patch 11 of its memory with its tones until told otherwise.
    const mks80::CurrentSound& Sound() const { return m_Sound; }
    // Its panel: patch in_index (0 to 63) of the memory with the tones it names becomes the
    // current sound. Returns what it announces: the PGR, then the four APRs.
    std::vector<std::vector<uint8_t>> SelectPatch(int in_index);
    // Its panel: one parameter of the current sound (a tone edits the upper tone) set to
    // the message value in_value. Returns the IPR it announces, or nothing (and nothing
    // changes) when there is no such parameter or the parameter has no such value.
    std::optional<std::vector<uint8_t>> EditSound(mks80::Kind in_kind, mks80::Half in_half,
                                                  int in_number, int in_value);

    // $QUORLIN_VIRTUAL_MEMORY if set, else $XDG_DATA_HOME/Quorlin/virtual-mks80.m80
    // (XDG_DATA_HOME defaulting to ~/.local/share).
    static std::string DefaultMemoryPath();
    // Fills in_bank with the demonstration bank: named entries of varied bytes 0 to 127.
    static void FillDemonstrationBank(CSysExData& in_bank);

  private:
    enum class State { Idle, Dumping, AwaitingLastAck, Loading };

    std::vector<uint8_t> Short(uint8_t in_command) const;
    std::vector<uint8_t> DataBlock(int in_block);
    // The memory from its file, or the demonstration bank.
    void LoadMemory();
    // Patch in_index of the memory and its tones as the current sound.
    void LoadSound(int in_index);

    Mks80Options m_Options;
    std::string m_MemoryPath;
    CNullBankView m_View;
    CSysExData m_Memory;
    mks80::CurrentSound m_Sound;
    State m_State = State::Idle;
    int m_Block = 0;
    int m_DumpsReceived = 0;
};
