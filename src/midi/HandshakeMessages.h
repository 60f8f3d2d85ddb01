#pragma once

#include <cstdint>

#include "bank/BlockLayout.h"

// Command bytes of the instrument's handshake bulk dump.
constexpr uint8_t HS_WSD = 0x40;
constexpr uint8_t HS_RQD = 0x41;
constexpr uint8_t HS_DAT = 0x42;
constexpr uint8_t HS_ACK = 0x43;
constexpr uint8_t HS_EOD = 0x45;
constexpr uint8_t HS_ERR = 0x4E;
constexpr uint8_t HS_RJC = 0x4F;

// The ready-made handshake messages; byte 3 of each carries the device byte,
// the MIDI channel less one.
class CHandshakeMessages {
  public:
    CHandshakeMessages();

    // in_channel 1 to 16. Below 1 changes nothing and is false: an internal error
    // (MidiFault::Where::Channel) that the caller reports.
    [[nodiscard]] bool SetMidiChannel(int in_channel);

    const uint8_t* Ack() const { return m_Ack; }
    int32_t AckLength() const { return m_AckLength; }
    const uint8_t* Eod() const { return m_Eod; }
    int32_t EodLength() const { return m_EodLength; }
    const uint8_t* Rqd() const { return m_Rqd; }
    int32_t RqdLength() const { return m_RqdLength; }
    const uint8_t* Wsd() const { return m_Wsd; }
    int32_t WsdLength() const { return m_WsdLength; }
    const uint8_t (&DatHeader() const)[BLOCK_HEADER_SIZE] { return m_DatHeader; }
    uint8_t DeviceByte() const { return m_DeviceByte; }

    // The data message of block in_block of the bank reached through in_entries.
    DataMessage BuildDataMessage(int in_block, const EntryAccess& in_entries) const;

  private:
    uint8_t m_Ack[6];
    int32_t m_AckLength = 6;
    uint8_t m_Eod[6];
    int32_t m_EodLength = 6;
    uint8_t m_Rqd[13];
    int32_t m_RqdLength = 13;
    uint8_t m_Wsd[13];
    int32_t m_WsdLength = 13;
    uint8_t m_DatHeader[BLOCK_HEADER_SIZE];
    uint8_t m_DeviceByte = 0;
};
