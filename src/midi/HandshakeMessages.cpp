#include "midi/HandshakeMessages.h"

#include <algorithm>

CHandshakeMessages::CHandshakeMessages() {
    Fill();
}

void CHandshakeMessages::Fill() {
    const auto copy = [](const auto& in_from, uint8_t* out_to) {
        std::copy(in_from.begin(), in_from.end(), out_to);
    };
    copy(mks80::ShortHandshake(HS_ACK, m_DeviceByte), m_Ack);
    copy(mks80::ShortHandshake(HS_EOD, m_DeviceByte), m_Eod);
    copy(mks80::NamedHandshake(HS_RQD, m_DeviceByte), m_Rqd);
    copy(mks80::NamedHandshake(HS_WSD, m_DeviceByte), m_Wsd);
    copy(mks80::HandshakeHeader(HS_DAT, m_DeviceByte), m_DatHeader);
}

bool CHandshakeMessages::SetMidiChannel(int in_channel) {
    if (in_channel < 1) {
        return false;
    }
    m_DeviceByte = mks80::DeviceByte(in_channel);
    Fill();
    return true;
}

bool CHandshakeMessages::IsOwn(const std::vector<uint8_t>& in_message, uint8_t in_command) const {
    return mks80::IsHandshakeMessage(in_message.data(), in_message.size()) &&
           in_message[2] == in_command && in_message[3] == m_DeviceByte;
}

DataMessage CHandshakeMessages::BuildDataMessage(int in_block,
                                                 const EntryAccess& in_entries) const {
    return EncodeBlock(in_block, in_entries, m_DatHeader);
}
