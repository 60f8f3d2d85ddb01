#include "midi/MidiManager.h"

#include <cassert>
#include <utility>

#include "bank/SysExData.h"

CMidiManager::CMidiManager(MidiService& in_service, platform::EventLoop& in_loop, MidiHost& in_host)
    : m_Service(in_service),
      m_Host(in_host),
      m_Probe(in_service, in_loop),
      m_Ports(in_service, in_host, m_Input),
      m_Transfer(m_Ports, m_Input, m_Probe, in_host, in_loop, m_CurrentSysExData,
                 EntryAccess{[this](int i) { return aGetToneData(i); },
                             [this](int i) { return aGetPatchData(i); }}),
      m_Input(in_loop, m_Ports, m_Transfer) {}

CMidiManager::~CMidiManager() = default;

void CMidiManager::SetMidiInDevID(uint32_t in_id) {
    m_Ports.GetPortData().m_MidiInDevID = in_id;
}

void CMidiManager::SetMidiOutDevID(uint32_t in_id) {
    m_Ports.GetPortData().m_MidiOutDevID = in_id;
}

void CMidiManager::SetCurrentSysExData(CSysExData* in_ptrSysExData) {
    m_CurrentSysExData.SetCurrentSysExData(in_ptrSysExData);
}

CSysExData* CMidiManager::GetCurrentSysExData() const {
    return m_CurrentSysExData.PeekCurrentSysExData();
}

void CMidiManager::ForgetSysExData(CSysExData* in_ptrSysExData) {
    if (in_ptrSysExData == nullptr ||
        m_CurrentSysExData.PeekCurrentSysExData() != in_ptrSysExData) {
        return;
    }
    m_CurrentSysExData.Clear();
    m_Transfer.Abandon();
}

CSysExData* CMidiManager::BankFor(int in_SysExBlock) {
    if (in_SysExBlock >= BANK_SIZE) {
        m_Host.LinkFault(MidiFault{MidiFault::Where::EntryIndex});
        return nullptr;
    }
    CSysExData* ptrSysExData = m_CurrentSysExData.PeekCurrentSysExData();
    assert(ptrSysExData && "ptrSysExData");
    return ptrSysExData;
}

CToneData* CMidiManager::aGetToneData(int in_SysExBlock) {
    CSysExData* ptrSysExData = BankFor(in_SysExBlock);
    CToneData* ptrToneData = ptrSysExData ? ptrSysExData->GetTone(in_SysExBlock) : nullptr;
    assert((ptrToneData || !ptrSysExData) && "ptrToneData");
    return ptrToneData;
}

CPatchData* CMidiManager::aGetPatchData(int in_SysExBlock) {
    CSysExData* ptrSysExData = BankFor(in_SysExBlock);
    CPatchData* ptrPatchData = ptrSysExData ? ptrSysExData->GetPatch(in_SysExBlock) : nullptr;
    assert((ptrPatchData || !ptrSysExData) && "ptrPatchData");
    return ptrPatchData;
}

bool CMidiManager::TestMidiPorts() {
    (void)m_Ports.OpenMidiPorts();
    return true;
}

void CMidiManager::ProbeDevices(unsigned in_inDev, unsigned in_outDev, int in_channel,
                                int in_timeout_ms, std::function<void(bool)> in_done) {
    if (m_Transfer.IsTransferRunning() || m_Probe.IsRunning() || in_channel < 1 ||
        in_channel > 16) {
        if (in_done) {
            in_done(false);
        }
        return;
    }
    // The link's own ports let go of their devices; the next transfer opens them again.
    m_Ports.CloseMidiPorts();
    m_Probe.Start(in_inDev, in_outDev, in_channel, in_timeout_ms,
                  m_Ports.GetPortData().m_BufferSize, std::move(in_done));
}

void CMidiManager::SetInputListener(CMidiInput::Listener in_listener) {
    m_Input.SetListener(std::move(in_listener));
}

LiveSendResult CMidiManager::SendLiveMessage(const std::vector<uint8_t>& in_message) {
    if (m_Transfer.IsTransferRunning()) {
        return LiveSendResult::TransferRunning;
    }
    if (m_Probe.IsRunning() || !m_Ports.OpenQuietly()) {
        return LiveSendResult::NoPort;
    }
    return m_Ports.SendQuietly(in_message.data(), in_message.size());
}

bool CMidiManager::ListenBetweenTransfers() {
    if (m_Transfer.IsTransferRunning() || m_Probe.IsRunning()) {
        return false;
    }
    (void)m_Ports.OpenQuietly();
    return m_Ports.IsInPortOpen();
}
