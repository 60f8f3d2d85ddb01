#include "midi/HandshakeMessages.h"

#include <cstring>

namespace {
const uint8_t kNameBody[7] = {0x4D, 0x4B, 0x53, 0x2D, 0x38, 0x30, 0x00};  // "MKS-80", 0

void FillShort(uint8_t (&out)[6], uint8_t command) {
    const uint8_t bytes[6] = {0xF0, 0x41, command, 0x00, 0x20, 0xF7};
    std::memcpy(out, bytes, sizeof bytes);
}

void FillNamed(uint8_t (&out)[13], uint8_t command) {
    const uint8_t head[5] = {0xF0, 0x41, command, 0x00, 0x20};
    std::memcpy(out, head, sizeof head);
    std::memcpy(out + 5, kNameBody, sizeof kNameBody);
    out[12] = 0xF7;
}
}  // namespace

CHandshakeMessages::CHandshakeMessages() {
    FillShort(m_Ack, HS_ACK);
    FillShort(m_Eod, HS_EOD);
    FillNamed(m_Rqd, HS_RQD);
    FillNamed(m_Wsd, HS_WSD);
    const uint8_t dat[BLOCK_HEADER_SIZE] = {0xF0, 0x41, HS_DAT, 0x00, 0x20};
    std::memcpy(m_DatHeader, dat, sizeof dat);
}

bool CHandshakeMessages::SetMidiChannel(int in_channel) {
    if (in_channel < 1) {
        return false;
    }
    m_DeviceByte = static_cast<uint8_t>(in_channel - 1);
    m_Ack[3] = m_DeviceByte;
    m_Eod[3] = m_DeviceByte;
    m_Rqd[3] = m_DeviceByte;
    m_Wsd[3] = m_DeviceByte;
    m_DatHeader[3] = m_DeviceByte;
    return true;
}

DataMessage CHandshakeMessages::BuildDataMessage(int in_block,
                                                 const EntryAccess& in_entries) const {
    return EncodeBlock(in_block, in_entries, m_DatHeader);
}
