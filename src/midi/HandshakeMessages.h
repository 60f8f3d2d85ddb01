#pragma once

#include <cstdint>
#include <vector>

#include "bank/BlockLayout.h"
#include "mks80/Messages.h"

// The command bytes are the instrument's own (mks80/Messages.h).
using mks80::HS_ACK;
using mks80::HS_DAT;
using mks80::HS_EOD;
using mks80::HS_ERR;
using mks80::HS_RJC;
using mks80::HS_RQD;
using mks80::HS_WSD;

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

    // Whether in_message is one of the instrument's handshake messages with command
    // in_command on our device byte.
    bool IsOwn(const std::vector<uint8_t>& in_message, uint8_t in_command) const;

  private:
    // Builds the five messages for the device byte.
    void Fill();

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
