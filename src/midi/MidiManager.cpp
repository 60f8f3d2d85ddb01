#include "midi/MidiManager.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <utility>

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "platform/Trace.h"

namespace {

constexpr int kEndOfData = BLOCK_COUNT;  // the block counter once all 16 blocks are through

void FreshBuffer(MidiHdr& out_header, int32_t in_size) {
    out_header.data.assign(static_cast<size_t>(in_size), 0);
    out_header.bufferLength = static_cast<uint32_t>(in_size);
    out_header.flags = 0;
    out_header.bytesRecorded = 0;
}

void ReleaseBuffer(MidiHdr& out_header) {
    std::vector<uint8_t>().swap(out_header.data);
    out_header.bufferLength = 0;
    out_header.bytesRecorded = 0;
}

void TraceEvent(MidiInEvent in_event) {
    switch (in_event) {
        case MidiInEvent::Close:
            QUORLIN_TRACE("\nMIM_CLOSE");
            break;
        case MidiInEvent::Data:
            QUORLIN_TRACE("\nMIM_Data");
            break;
        case MidiInEvent::LongData:
            QUORLIN_TRACE("\nMIM_LongData");
            break;
        case MidiInEvent::Error:
            QUORLIN_TRACE("\nMIM_ERROR");
            break;
        case MidiInEvent::LongError:
            QUORLIN_TRACE("\nMIM_LongError");
            break;
        case MidiInEvent::MoreData:
            QUORLIN_TRACE("\nMIM_MoreData");
            break;
        case MidiInEvent::Open:
            break;
    }
}

void TraceFlags(uint32_t in_flags) {
    switch (in_flags) {
        case MHDR_DONE:
            QUORLIN_TRACE("MHDR_DONE: Message Done");
            break;
        case MHDR_PREPARED:
            QUORLIN_TRACE("MHDR_PREPARED");
            break;
        case MHDR_INQUEUE:
            QUORLIN_TRACE("MHDR_INQUEUE");
            break;
        case MHDR_ISSTRM:
            QUORLIN_TRACE("MHDR_ISSTRM");
            break;
        default:
            break;
    }
}

}  // namespace

// The setup dialog's test of two devices, apart from the link's own ports.
struct CMidiManager::Probe {
    uint64_t serial = 0;
    MidiHandle in = kNoMidiHandle;
    MidiHandle out = kNoMidiHandle;
    bool inOpen = false;
    bool outOpen = false;
    MidiHdr inHdr;
    MidiHdr outHdr;
    std::vector<uint8_t> request;
    uint8_t deviceByte = 0;
    platform::EventLoop::TimerId timer = 0;
    bool timerRunning = false;
    std::function<void(bool)> done;
};

CMidiManager::CMidiManager(MidiService& in_service, platform::EventLoop& in_loop, MidiHost& in_host)
    : m_Service(in_service),
      m_Loop(in_loop),
      m_Host(in_host),
      m_ptrCallbackData(std::make_unique<CMidiCallbackData>()),
      m_ptrAlive(std::make_shared<CMidiManager*>(this)) {}

CMidiManager::~CMidiManager() {
    m_ptrAlive.reset();
    if (m_HandlingScheduled) {
        m_Loop.Cancel(m_HandlingTimer);
    }
    StopAnswerTimer();
    if (m_ptrProbe) {
        ReleaseProbeDevices();
        m_ptrProbe.reset();
    }
    if (m_InPortOpen) {
        m_Service.InClose(m_PortData.m_hMidiIn);
    }
    if (m_OutPortOpen) {
        m_Service.OutClose(m_PortData.m_hMidiOut);
    }
}

void CMidiManager::SetMidiInDevID(uint32_t in_id) {
    m_PortData.m_MidiInDevID = in_id;
}

void CMidiManager::SetMidiOutDevID(uint32_t in_id) {
    m_PortData.m_MidiOutDevID = in_id;
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
    if (m_TransferRunning) {
        EndTransfer(TransferOutcome::Abandoned, false);
    }
}

CToneData* CMidiManager::aGetToneData(int in_SysExBlock) {
    if (in_SysExBlock >= BANK_SIZE) {
        Fault(MidiFault::Where::EntryIndex);
        return nullptr;
    }
    CSysExData* ptrSysExData = m_CurrentSysExData.PeekCurrentSysExData();
    assert(ptrSysExData && "ptrSysExData");
    if (ptrSysExData == nullptr) {
        return nullptr;
    }
    CToneData* ptrToneData = ptrSysExData->GetTone(in_SysExBlock);
    assert(ptrToneData && "ptrToneData");
    return ptrToneData;
}

CPatchData* CMidiManager::aGetPatchData(int in_SysExBlock) {
    if (in_SysExBlock >= BANK_SIZE) {
        Fault(MidiFault::Where::EntryIndex);
        return nullptr;
    }
    CSysExData* ptrSysExData = m_CurrentSysExData.PeekCurrentSysExData();
    assert(ptrSysExData && "ptrSysExData");
    if (ptrSysExData == nullptr) {
        return nullptr;
    }
    CPatchData* ptrPatchData = ptrSysExData->GetPatch(in_SysExBlock);
    assert(ptrPatchData && "ptrPatchData");
    return ptrPatchData;
}

// ---- Ports and buffers --------------------------------------------------------

void CMidiManager::Fault(MidiFault::Where in_where, MMRESULT in_code) {
    m_Host.LinkFault(MidiFault{in_where, in_code});
}

bool CMidiManager::OpenMidiPorts() {
    if (m_InPortOpen == 0) {
        // Also when the open failed: the sequence goes on.
        if (!OpenMidiInPort() || !CreateSysExBuffers()) {
            return false;
        }
    }
    if (m_OutPortOpen == 0) {
        return OpenMidiOutPort() && CreateOutSysExBuffer();
    }
    return true;
}

void CMidiManager::CloseMidiPorts() {
    CloseMidiInPort();
    CloseMidiOutPort();
    m_InPortOpen = 0;
    m_OutPortOpen = 0;
}

bool CMidiManager::TestMidiPorts() {
    (void)OpenMidiPorts();
    return true;
}

bool CMidiManager::OpenMidiInPort() {
    m_ptrCallbackData->m_Delay = m_Host.GetPauseTime();
    m_ptrCallbackData->m_Mode = m_Mode;
    const uint64_t generation = ++m_InGeneration;
    MidiHandle handle = kNoMidiHandle;
    if (m_Service.InOpen(handle, m_PortData.m_MidiInDevID, MakeCallback(generation)) !=
        MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::InOpen);
        return true;  // not fatal: the port stays marked closed
    }
    m_PortData.m_hMidiIn = handle;
    if (m_Service.InStart(handle) != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::InStart);
        return false;
    }
    m_InPortOpen = 1;
    return true;
}

bool CMidiManager::OpenMidiOutPort() {
    MidiHandle handle = kNoMidiHandle;
    const MMRESULT result = m_Service.OutOpen(handle, m_PortData.m_MidiOutDevID);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::OutOpen, result);
        return false;
    }
    m_PortData.m_hMidiOut = handle;
    m_OutPortOpen = 1;
    return true;
}

// Marking the ports closed lets the devices go, so that the next open does not find
// them still held (where the platform refuses a second open, that would end the program).
void CMidiManager::CloseMidiInPort() {
    if (m_InPortOpen != 0) {
        if (m_Service.InClose(m_PortData.m_hMidiIn) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nmidiInClose failed");
        }
    }
    // Whatever the closed port still had on its way is no longer wanted.
    ++m_InGeneration;
    m_Arrivals.clear();
    if (m_HandlingScheduled) {
        m_Loop.Cancel(m_HandlingTimer);
        m_HandlingScheduled = false;
    }
}

void CMidiManager::CloseMidiOutPort() {
    if (m_OutPortOpen != 0) {
        if (m_Service.OutClose(m_PortData.m_hMidiOut) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nmidiOutClose failed");
        }
    }
}

bool CMidiManager::CreateSysExBuffers() {
    MidiHdr& header = m_PortData.m_MidiInHdr;
    FreshBuffer(header, m_PortData.m_BufferSize);
    MMRESULT result = m_Service.InPrepareHeader(m_PortData.m_hMidiIn, header);
    if (result == MMSYSERR_NOERROR) {
        result = m_Service.InAddBuffer(m_PortData.m_hMidiIn, header);
        if (result == MMSYSERR_NOERROR) {
            return true;
        }
        if (m_InPortOpen != 0) {
            Fault(MidiFault::Where::InAdd, result);
            return false;
        }
    } else if (m_InPortOpen != 0) {
        Fault(MidiFault::Where::InPrepare, result);
        return false;
    }
    // The input did not open ("Cannot Open Midi In Port" said so) and the devices are
    // released on close, so there is no device to attach the buffer to. That is no
    // reason to end the program: the transfer's time-out ends it instead.
    QUORLIN_TRACE("\nno input port for the SYSEX input buffer");
    return true;
}

bool CMidiManager::CreateOutSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    FreshBuffer(header, m_PortData.m_BufferSize);
    const MMRESULT result = m_Service.OutPrepareHeader(m_PortData.m_hMidiOut, header);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::OutPrepare, result);
        return false;
    }
    return true;
}

bool CMidiManager::DeleteInSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiInHdr;
    const MMRESULT result = m_Service.InUnprepareHeader(m_PortData.m_hMidiIn, header);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::InUnprepare, result);
        return false;
    }
    ReleaseBuffer(header);
    return true;
}

bool CMidiManager::DeleteOutSysExBuffer() {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    const MMRESULT result = m_Service.OutUnprepareHeader(m_PortData.m_hMidiOut, header);
    if (result != MMSYSERR_NOERROR) {
        Fault(MidiFault::Where::OutUnprepare, result);
        return false;
    }
    ReleaseBuffer(header);
    return true;
}

bool CMidiManager::CreateAllSysExBuffers() {
    return CreateSysExBuffers() && CreateOutSysExBuffer();
}

bool CMidiManager::DeleteAllSysExBuffers() {
    return DeleteInSysExBuffer() && DeleteOutSysExBuffer();
}

bool CMidiManager::CopyToOutBuffer(const uint8_t* in_message, int32_t in_length) {
    MidiHdr& header = m_PortData.m_MidiOutHdr;
    if (in_length < 0 || static_cast<size_t>(in_length) > header.data.size()) {
        Fault(MidiFault::Where::OutBuffer);
        return false;
    }
    std::memcpy(header.data.data(), in_message, static_cast<size_t>(in_length));
    header.bufferLength = static_cast<uint32_t>(in_length);
    return true;
}

// ---- Senders --------------------------------------------------------------------

MMRESULT CMidiManager::SendMessage(const uint8_t* in_message, int32_t in_length, bool in_isWsd) {
    if (!CopyToOutBuffer(in_message, in_length)) {
        return MMSYSERR_INVALPARAM;
    }
    const MMRESULT result = m_Service.OutLongMsg(m_PortData.m_hMidiOut, m_PortData.m_MidiOutHdr);
    if (result == MMSYSERR_NOERROR) {
        m_LastSent.assign(in_message, in_message + in_length);
        if (m_TransferRunning) {
            RestartAnswerTimer();
        }
        return result;
    }
    Fault(in_isWsd ? MidiFault::Where::SendWantToSend : MidiFault::Where::Send, result);
    return result;
}

void CMidiManager::SendAck() {
    if (OpenMidiPorts()) {
        const CHandshakeMessages& messages = m_PortData.m_Messages;
        SendMessage(messages.Ack(), messages.AckLength(), false);
    }
}

void CMidiManager::SendEod() {
    if (OpenMidiPorts()) {
        const CHandshakeMessages& messages = m_PortData.m_Messages;
        SendMessage(messages.Eod(), messages.EodLength(), false);
    }
}

void CMidiManager::SendDataBlock() {
    if (!OpenMidiPorts()) {
        return;
    }
    const EntryAccess entries{[this](int i) { return aGetToneData(i); },
                              [this](int i) { return aGetPatchData(i); }};
    const DataMessage message = m_PortData.m_Messages.BuildDataMessage(m_BlockCounter, entries);
    if (std::any_of(message.begin() + 1, message.end() - 1, [](uint8_t b) { return b & 0x80; })) {
        // Edited in since the send began: never put a broken message on the wire.
        CSysExData* bank = m_CurrentSysExData.PeekCurrentSysExData();
        std::vector<int> high;
        for (int index : EntriesWithHighBytes(*bank)) {
            if (index / BLOCK_SLOTS == m_BlockCounter) {
                high.push_back(index);
            }
        }
        TransferReport report;
        report.highEntries = std::move(high);
        EndTransfer(TransferOutcome::NotSendable, false, std::move(report));
        return;
    }
    SendMessage(message.data(), BLOCK_SIZE, false);
}

// ---- The two transfers ------------------------------------------------------------

void CMidiManager::GetPatches() {
    StartTransfer(TransferKind::Receive);
}

void CMidiManager::SendPatches() {
    StartTransfer(TransferKind::Send);
}

void CMidiManager::StartTransfer(TransferKind in_kind) {
    if (m_TransferRunning) {
        return;  // the transfer commands are disabled meanwhile
    }
    if (m_CurrentSysExData.PeekCurrentSysExData() == nullptr) {
        QUORLIN_TRACE("\nno current bank: the transfer does not start");
        return;
    }
    if (in_kind == TransferKind::Send) {
        // A parameter byte of 80H or more would be a status byte on the wire: the
        // message would break and the instrument store garbage or refuse it.
        const std::vector<int> high =
            EntriesWithHighBytes(*m_CurrentSysExData.PeekCurrentSysExData());
        if (!high.empty()) {
            TransferReport report;
            report.kind = TransferKind::Send;
            report.outcome = TransferOutcome::NotSendable;
            report.highEntries = high;
            m_Host.TransferEnded(report);
            return;
        }
    }
    if (m_ptrProbe) {
        // The setup dialog's test can outlive the dialog. It holds devices that the
        // transfer is about to open, and a platform that refuses a second open would
        // end the program at the output port: the test gives way.
        FinishProbe(false);
    }
    m_Mode = in_kind == TransferKind::Receive ? 1 : 0;
    m_ptrCallbackData->m_Mode = m_Mode;
    CloseMidiPorts();
    if (!OpenMidiPorts()) {
        return;
    }
    m_BlockCounter = 0;
    m_DamagedBlocks.clear();
    m_LastSent.clear();
    m_TransferKind = in_kind;
    m_TransferRunning = true;
    m_Quiet = false;
    m_Host.SetMidiBusy();

    const CHandshakeMessages& messages = m_PortData.m_Messages;
    const bool receive = in_kind == TransferKind::Receive;
    const MMRESULT result = receive ? SendMessage(messages.Rqd(), messages.RqdLength(), false)
                                    : SendMessage(messages.Wsd(), messages.WsdLength(), true);
    if (result != MMSYSERR_NOERROR) {
        // Nothing was asked of the instrument, so nothing will come: the transfer is over.
        TransferReport report;
        report.code = result;
        EndTransfer(TransferOutcome::SendFailed, false, std::move(report));
    }
}

void CMidiManager::StoreReceivedBlock(const std::vector<uint8_t>& in_message) {
    if (m_BlockCounter == kEndOfData) {
        m_Host.ClearMidiBusy();
        return;
    }
    const int block = m_BlockCounter;
    CSysExData* bank = m_CurrentSysExData.PeekCurrentSysExData();
    // A block that is cut short or fails its checksum is not the instrument's data.
    // It still takes its place in the sequence so the following blocks land right.
    if (bank != nullptr && CheckBlock(in_message.data(), in_message.size()) == BlockCheck::Ok) {
        const EntryAccess entries{[this](int i) { return aGetToneData(i); },
                                  [this](int i) { return aGetPatchData(i); }};
        DecodeBlock(block, in_message.data(), in_message.size(), entries);
        m_Host.EntriesReceived(bank, block * BLOCK_SLOTS, BLOCK_SLOTS);
    } else {
        m_DamagedBlocks.push_back(block);
    }
    ++m_BlockCounter;
    m_Host.TransferProgress(TransferKind::Receive, m_BlockCounter);
}

void CMidiManager::AcknowledgeBlock() {
    if (DeleteAllSysExBuffers() && CreateAllSysExBuffers()) {
        SendAck();
    }
}

void CMidiManager::SendNextBlock() {
    QUORLIN_TRACE("Sent Block %d\n", m_BlockCounter);
    if (m_BlockCounter > kEndOfData) {
        m_Host.ClearMidiBusy();
        if (DeleteAllSysExBuffers()) {
            EndTransfer(TransferOutcome::Completed, true);
        }
        return;
    }
    if (!DeleteAllSysExBuffers() || !CreateAllSysExBuffers()) {
        return;
    }
    if (m_BlockCounter == kEndOfData) {
        SendEod();
    } else {
        SendDataBlock();
        if (!m_TransferRunning) {
            return;  // the block could not be sent as it stands
        }
    }
    ++m_BlockCounter;
    if (m_BlockCounter <= kEndOfData) {
        m_Host.TransferProgress(TransferKind::Send, m_BlockCounter);
    }
}

void CMidiManager::ReArmInput() {
    if (DeleteInSysExBuffer()) {
        (void)CreateSysExBuffers();
    }
}

void CMidiManager::EndTransfer(TransferOutcome in_outcome, bool in_busyCleared,
                               TransferReport in_report) {
    const TransferKind kind = m_TransferKind;
    const int blocks = m_BlockCounter;
    m_TransferRunning = false;
    StopAnswerTimer();
    // A fetch that has come to its end still acknowledges a late message; any other
    // ended transfer lets late messages go.
    m_Quiet = !(kind == TransferKind::Receive && blocks == kEndOfData &&
                (in_outcome == TransferOutcome::Completed ||
                 in_outcome == TransferOutcome::CompletedDamaged));
    if (!in_busyCleared) {
        m_Host.ClearMidiBusy();
    }
    in_report.kind = kind;
    in_report.outcome = in_outcome;
    in_report.blocks = blocks;
    in_report.entries.clear();
    const int through = kind == TransferKind::Receive ? blocks : std::min(blocks, kEndOfData);
    for (int block = 0; block < through; ++block) {
        if (std::find(m_DamagedBlocks.begin(), m_DamagedBlocks.end(), block) ==
            m_DamagedBlocks.end()) {
            for (int j = 0; j < BLOCK_SLOTS; ++j) {
                in_report.entries.push_back(block * BLOCK_SLOTS + j);
            }
        }
    }
    m_Host.TransferEnded(in_report);
}

void CMidiManager::EndRefused(uint8_t in_command) {
    TransferReport report;
    report.answer = in_command;
    EndTransfer(TransferOutcome::Refused, false, std::move(report));
}

TransferOutcome CMidiManager::ReceiveOutcome() const {
    return m_DamagedBlocks.empty() ? TransferOutcome::Completed : TransferOutcome::CompletedDamaged;
}

// ---- The time-out ------------------------------------------------------------------

void CMidiManager::RestartAnswerTimer() {
    StopAnswerTimer();
    std::weak_ptr<CMidiManager*> alive = m_ptrAlive;
    m_AnswerTimer = m_Loop.RunAfter(m_ptrCallbackData->m_Delay + kAnswerTimeoutMs, [alive]() {
        if (auto self = alive.lock()) {
            (*self)->OnAnswerTimeout();
        }
    });
    m_AnswerTimerRunning = true;
}

void CMidiManager::StopAnswerTimer() {
    if (m_AnswerTimerRunning) {
        m_Loop.Cancel(m_AnswerTimer);
        m_AnswerTimerRunning = false;
    }
}

void CMidiManager::OnAnswerTimeout() {
    m_AnswerTimerRunning = false;
    if (!m_TransferRunning) {
        return;
    }
    // An answer that has come and waits behind its delay keeps the transfer alive;
    // short messages (active sensing, clock) are no answer, however many wait.
    const bool answerWaiting = std::any_of(
        m_Arrivals.begin(), m_Arrivals.end(),
        [](const Arrival& in_arrival) { return in_arrival.event == MidiInEvent::LongData; });
    if (answerWaiting) {
        RestartAnswerTimer();
        return;
    }
    if (m_TransferKind == TransferKind::Receive && m_BlockCounter == kEndOfData) {
        // Every block is in; only the end-of-data message did not come.
        EndTransfer(ReceiveOutcome(), false);
        return;
    }
    EndTransfer(TransferOutcome::NoAnswer, false);
}

// ---- Input: hand-over and handling -----------------------------------------------------

MidiInCallback CMidiManager::MakeCallback(uint64_t in_generation) {
    std::weak_ptr<CMidiManager*> alive = m_ptrAlive;
    platform::EventLoop* loop = &m_Loop;
    return [alive, loop, in_generation](MidiHandle, MidiInEvent in_event, MidiHdr* in_header,
                                        uint32_t in_param1, uint32_t) {
        if (in_event == MidiInEvent::Open) {
            return;
        }
        try {
            Arrival arrival;
            arrival.event = in_event;
            arrival.param1 = in_param1;
            arrival.generation = in_generation;
            if (in_header != nullptr &&
                (in_event == MidiInEvent::LongData || in_event == MidiInEvent::LongError)) {
                const size_t count =
                    std::min<size_t>(in_header->bytesRecorded, in_header->data.size());
                arrival.bytes.assign(in_header->data.begin(),
                                     in_header->data.begin() + static_cast<std::ptrdiff_t>(count));
                arrival.flags = in_header->flags;
            }
            loop->Post([alive, arrival = std::move(arrival)]() mutable {
                if (auto self = alive.lock()) {
                    (*self)->OnArrival(std::move(arrival));
                }
            });
        } catch (...) {
            // Out of memory on the input thread: the message is lost and the
            // transfer's time-out ends it.
        }
    };
}

void CMidiManager::OnArrival(Arrival in_arrival) {
    if (in_arrival.generation != m_InGeneration) {
        return;  // from a port that has been closed since
    }
    TraceEvent(in_arrival.event);
    if (in_arrival.event == MidiInEvent::Data && (in_arrival.param1 & 0xFF) >= 0xF8) {
        // Clock and active sensing come all the time from many instruments: they
        // are no part of any exchange and must not hold one up.
        return;
    }
    const bool isLong =
        in_arrival.event == MidiInEvent::LongData || in_arrival.event == MidiInEvent::LongError;
    if (!isLong && !m_TransferRunning) {
        // The ports stay open between transfers: short messages that come faster
        // than the delay would pile up here for as long as the program runs.
        return;
    }
    if (isLong && (in_arrival.event == MidiInEvent::LongError || !IsAwaited(in_arrival.bytes))) {
        // Another device's message, our own echoed back, a damaged one: not counted,
        // not stored, not answered. The buffer it used goes back at once so that the
        // instrument's next message is not held up behind it.
        if (m_TransferRunning && m_InPortOpen != 0) {
            ReArmInput();
        }
        return;
    }
    if (isLong && m_TransferRunning) {
        RestartAnswerTimer();
    }
    m_Arrivals.push_back(std::move(in_arrival));
    if (!m_HandlingScheduled) {
        std::weak_ptr<CMidiManager*> alive = m_ptrAlive;
        m_HandlingScheduled = true;
        m_HandlingTimer = m_Loop.RunAfter(m_ptrCallbackData->m_Delay, [alive]() {
            if (auto self = alive.lock()) {
                (*self)->HandleNextArrival();
            }
        });
    }
}

void CMidiManager::HandleNextArrival() {
    m_HandlingScheduled = false;
    if (m_Arrivals.empty()) {
        return;
    }
    Arrival arrival = std::move(m_Arrivals.front());
    m_Arrivals.pop_front();
    HandleArrival(arrival);
    // The next message's delay starts once this one has been handled.
    if (!m_Arrivals.empty() && !m_HandlingScheduled) {
        std::weak_ptr<CMidiManager*> alive = m_ptrAlive;
        m_HandlingScheduled = true;
        m_HandlingTimer = m_Loop.RunAfter(m_ptrCallbackData->m_Delay, [alive]() {
            if (auto self = alive.lock()) {
                (*self)->HandleNextArrival();
            }
        });
    }
}

bool CMidiManager::IsOwnEcho(const std::vector<uint8_t>& in_message) const {
    return !m_LastSent.empty() && in_message == m_LastSent;
}

bool CMidiManager::IsOwnHandshake(const std::vector<uint8_t>& in_message,
                                  uint8_t in_command) const {
    return m_PortData.m_Messages.IsOwn(in_message, in_command);
}

bool CMidiManager::IsAwaited(const std::vector<uint8_t>& in_message) const {
    if (IsOwnEcho(in_message)) {
        return false;  // the instrument (or a MIDI thru) sent our own message back
    }
    if (m_Quiet) {
        return false;
    }
    const auto is = [&](uint8_t in_command) { return IsOwnHandshake(in_message, in_command); };
    if (m_TransferKind == TransferKind::Receive) {
        // A 17th data message has no place in the bank.
        const bool blockAwaited = m_BlockCounter < kEndOfData || !m_TransferRunning;
        return (is(HS_DAT) && blockAwaited) || is(HS_EOD) ||
               (m_TransferRunning && (is(HS_ERR) || is(HS_RJC)));
    }
    return m_TransferRunning && (is(HS_ACK) || is(HS_ERR) || is(HS_RJC));
}

void CMidiManager::HandleArrival(const Arrival& in_arrival) {
    const int32_t mode = m_ptrCallbackData->m_Mode;
    if (in_arrival.event != MidiInEvent::LongData) {
        if (in_arrival.event == MidiInEvent::Data && mode == 0) {
            QUORLIN_TRACE("\nMIM_DATA on get patches");
        }
        return;  // a short message costs its delay only
    }
    if (m_Quiet) {
        return;
    }
    const std::vector<uint8_t>& bytes = in_arrival.bytes;
    if (m_TransferRunning && (IsOwnHandshake(bytes, HS_ERR) || IsOwnHandshake(bytes, HS_RJC))) {
        EndRefused(bytes[2]);
        return;
    }
    if (mode == 1) {
        TraceFlags(in_arrival.flags);
        if (IsOwnHandshake(bytes, HS_EOD) && m_BlockCounter < kEndOfData && m_TransferRunning) {
            // The instrument ended its data early: what came is kept, what did not
            // is named.
            AcknowledgeBlock();
            EndTransfer(TransferOutcome::CompletedDamaged, false);
            return;
        }
        const bool end = m_BlockCounter == kEndOfData;
        StoreReceivedBlock(bytes);
        AcknowledgeBlock();
        if (end && m_TransferRunning) {
            EndTransfer(ReceiveOutcome(), true);
        }
    } else {
        QUORLIN_TRACE("\nMIM_LONGDATA on get patches");
        QUORLIN_TRACE("\nRecieved Ack!");
        if (m_TransferRunning) {
            SendNextBlock();
        }
    }
}

// ---- The setup dialog's device test ------------------------------------------------------

void CMidiManager::ProbeDevices(unsigned in_inDev, unsigned in_outDev, int in_channel,
                                int in_timeout_ms, std::function<void(bool)> in_done) {
    if (m_TransferRunning || m_ptrProbe || in_channel < 1 || in_channel > 16) {
        if (in_done) {
            in_done(false);
        }
        return;
    }
    // The link's own ports let go of their devices; the next transfer opens them again.
    CloseMidiPorts();

    m_ptrProbe = std::make_unique<Probe>();
    Probe& probe = *m_ptrProbe;
    probe.serial = ++m_ProbeSerial;
    probe.done = std::move(in_done);
    probe.deviceByte = mks80::DeviceByte(in_channel);
    const auto request = mks80::NamedHandshake(HS_RQD, probe.deviceByte);
    probe.request.assign(request.begin(), request.end());

    std::weak_ptr<CMidiManager*> alive = m_ptrAlive;
    platform::EventLoop* loop = &m_Loop;
    const uint64_t serial = probe.serial;
    MidiInCallback callback = [alive, loop, serial](MidiHandle, MidiInEvent in_event,
                                                    MidiHdr* in_header, uint32_t, uint32_t) {
        if (in_event != MidiInEvent::LongData || in_header == nullptr) {
            return;
        }
        try {
            Arrival arrival;
            arrival.event = in_event;
            const size_t count = std::min<size_t>(in_header->bytesRecorded, in_header->data.size());
            arrival.bytes.assign(in_header->data.begin(),
                                 in_header->data.begin() + static_cast<std::ptrdiff_t>(count));
            loop->Post([alive, serial, arrival = std::move(arrival)]() {
                if (auto self = alive.lock()) {
                    (*self)->OnProbeArrival(serial, arrival);
                }
            });
        } catch (...) {
        }
    };

    if (m_Service.InOpen(probe.in, in_inDev, std::move(callback)) != MMSYSERR_NOERROR) {
        FinishProbe(false);
        return;
    }
    probe.inOpen = true;
    FreshBuffer(probe.inHdr, m_PortData.m_BufferSize);
    if (m_Service.InStart(probe.in) != MMSYSERR_NOERROR ||
        m_Service.InPrepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR ||
        m_Service.InAddBuffer(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
        FinishProbe(false);
        return;
    }
    if (m_Service.OutOpen(probe.out, in_outDev) != MMSYSERR_NOERROR) {
        FinishProbe(false);
        return;
    }
    probe.outOpen = true;
    FreshBuffer(probe.outHdr, m_PortData.m_BufferSize);
    std::copy(probe.request.begin(), probe.request.end(), probe.outHdr.data.begin());
    probe.outHdr.bufferLength = static_cast<uint32_t>(probe.request.size());
    if (m_Service.OutPrepareHeader(probe.out, probe.outHdr) != MMSYSERR_NOERROR ||
        m_Service.OutLongMsg(probe.out, probe.outHdr) != MMSYSERR_NOERROR) {
        FinishProbe(false);
        return;
    }
    probe.timer = m_Loop.RunAfter(in_timeout_ms, [alive, serial]() {
        if (auto self = alive.lock()) {
            CMidiManager& manager = **self;
            if (manager.m_ptrProbe && manager.m_ptrProbe->serial == serial) {
                manager.m_ptrProbe->timerRunning = false;
                manager.FinishProbe(false);
            }
        }
    });
    probe.timerRunning = true;
}

void CMidiManager::OnProbeArrival(uint64_t in_serial, const Arrival& in_arrival) {
    if (!m_ptrProbe || m_ptrProbe->serial != in_serial) {
        return;
    }
    Probe& probe = *m_ptrProbe;
    if (in_arrival.bytes == probe.request) {
        // Our own request echoed back proves nothing: wait for the instrument.
        if (m_Service.InUnprepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
            FinishProbe(false);
            return;
        }
        FreshBuffer(probe.inHdr, m_PortData.m_BufferSize);
        if (m_Service.InPrepareHeader(probe.in, probe.inHdr) != MMSYSERR_NOERROR ||
            m_Service.InAddBuffer(probe.in, probe.inHdr) != MMSYSERR_NOERROR) {
            FinishProbe(false);
        }
        return;
    }
    if (in_arrival.bytes.size() > 2 && in_arrival.bytes[2] == HS_DAT) {
        // A dump has begun: stop it so the instrument does not wait for us.
        const auto reject = mks80::ShortHandshake(HS_RJC, probe.deviceByte);
        std::copy(reject.begin(), reject.end(), probe.outHdr.data.begin());
        probe.outHdr.bufferLength = sizeof reject;
        if (m_Service.OutLongMsg(probe.out, probe.outHdr) != MMSYSERR_NOERROR) {
            QUORLIN_TRACE("\nprobe: the reject could not be sent");
        }
    }
    FinishProbe(true);
}

void CMidiManager::ReleaseProbeDevices() {
    Probe& probe = *m_ptrProbe;
    if (probe.timerRunning) {
        m_Loop.Cancel(probe.timer);
        probe.timerRunning = false;
    }
    if (probe.outOpen) {
        m_Service.OutUnprepareHeader(probe.out, probe.outHdr);
        m_Service.OutClose(probe.out);
        probe.outOpen = false;
    }
    if (probe.inOpen) {
        m_Service.InClose(probe.in);
        probe.inOpen = false;
    }
}

void CMidiManager::FinishProbe(bool in_ok) {
    if (!m_ptrProbe) {
        return;
    }
    ReleaseProbeDevices();
    std::function<void(bool)> done = std::move(m_ptrProbe->done);
    m_ptrProbe.reset();
    if (done) {
        done(in_ok);
    }
}
