// The transfer protocol, as the exchange runs:
//
//   Get Patches   RQD ->            <- DAT block 0   ACK ->   ...   <- DAT block 15
//                 ACK ->            <- EOD           ACK ->   (ends)
//   Send Patches  WSD ->            <- ACK   DAT block 0 ->   ...   <- ACK   EOD ->
//                 <- ACK            (ends)
//
// Every answer of ours leaves one delay after the message it answers, with both
// buffers made afresh. A reject or error from the instrument ends a transfer as
// refused; three seconds of silence beyond the delay end it as unanswered.
#include "midi/MidiTransfer.h"

#include <algorithm>
#include <utility>

#include "bank/SysExData.h"
#include "midi/DeviceProbe.h"
#include "midi/HandshakeMessages.h"
#include "midi/MidiInput.h"
#include "midi/MidiPorts.h"
#include "platform/Trace.h"

namespace {

constexpr int kEndOfData = BLOCK_COUNT;  // the block counter once all 16 blocks are through

// The buffer's flags, when they are exactly one of them.
void TraceFlags(uint32_t in_flags) {
    static const std::pair<uint32_t, const char*> kTraces[] = {
        {MHDR_DONE, "MHDR_DONE: Message Done"},
        {MHDR_PREPARED, "MHDR_PREPARED"},
        {MHDR_INQUEUE, "MHDR_INQUEUE"},
        {MHDR_ISSTRM, "MHDR_ISSTRM"}};
    for (const auto& trace : kTraces) {
        if (trace.first == in_flags) {
            QUORLIN_TRACE("%s", trace.second);
        }
    }
}

}  // namespace

CMidiTransfer::CMidiTransfer(CMidiPorts& in_ports, const CMidiInput& in_input,
                             CDeviceProbe& in_probe, MidiHost& in_host,
                             platform::EventLoop& in_loop, CGlobalData& in_bank,
                             EntryAccess in_entries)
    : m_Ports(in_ports),
      m_Input(in_input),
      m_Probe(in_probe),
      m_Host(in_host),
      m_Loop(in_loop),
      m_CurrentSysExData(in_bank),
      m_Entries(std::move(in_entries)),
      m_ptrAlive(std::make_shared<CMidiTransfer*>(this)) {}

CMidiTransfer::~CMidiTransfer() {
    m_ptrAlive.reset();
    StopAnswerTimer();
}

// ---- Starting --------------------------------------------------------------------

void CMidiTransfer::GetPatches() {
    StartTransfer(TransferKind::Receive);
}

void CMidiTransfer::SendPatches() {
    StartTransfer(TransferKind::Send);
}

void CMidiTransfer::StartTransfer(TransferKind in_kind) {
    if (m_TransferRunning) {
        return;  // the transfer commands are disabled meanwhile
    }
    CSysExData* bank = m_CurrentSysExData.PeekCurrentSysExData();
    if (bank == nullptr) {
        QUORLIN_TRACE("\nno current bank: the transfer does not start");
        return;
    }
    if (in_kind == TransferKind::Send) {
        // A parameter byte of 80H or more would be a status byte on the wire: the
        // message would break and the instrument store garbage or refuse it.
        const std::vector<int> high = EntriesWithHighBytes(*bank);
        if (!high.empty()) {
            TransferReport report;
            report.kind = TransferKind::Send;
            report.outcome = TransferOutcome::NotSendable;
            report.highEntries = high;
            m_Host.TransferEnded(report);
            return;
        }
    }
    // The setup dialog's test can outlive the dialog. It holds devices that the
    // transfer is about to open, and a platform that refuses a second open would end
    // the program at the output port: the test gives way.
    m_Probe.GiveWay();
    m_Ports.SetMode(in_kind == TransferKind::Receive ? 1 : 0);
    m_Ports.CloseMidiPorts();
    if (!m_Ports.OpenMidiPorts()) {
        return;
    }
    m_BlockCounter = 0;
    m_DamagedBlocks.clear();
    m_LastSent.clear();
    m_TransferKind = in_kind;
    m_TransferRunning = true;
    m_Quiet = false;
    m_Host.SetMidiBusy();

    const CHandshakeMessages& messages = m_Ports.GetPortData().m_Messages;
    const bool receive = in_kind == TransferKind::Receive;
    const MMRESULT result = receive ? Send(messages.Rqd(), messages.RqdLength(), false)
                                    : Send(messages.Wsd(), messages.WsdLength(), true);
    if (result != MMSYSERR_NOERROR) {
        // Nothing was asked of the instrument, so nothing will come: the transfer is over.
        TransferReport report;
        report.code = result;
        EndTransfer(TransferOutcome::SendFailed, false, std::move(report));
    }
}

// ---- Each message that arrives ----------------------------------------------------

bool CMidiTransfer::IsOwn(const std::vector<uint8_t>& in_message, uint8_t in_command) const {
    return m_Ports.GetPortData().m_Messages.IsOwn(in_message, in_command);
}

// A long message is taken only when it is a handshake message of this instrument
// (Roland, our device byte, model 20H) of a kind the transfer waits for.
bool CMidiTransfer::IsAwaited(const std::vector<uint8_t>& in_message) const {
    if (!m_LastSent.empty() && in_message == m_LastSent) {
        return false;  // the instrument (or a MIDI thru) sent our own message back
    }
    if (m_Quiet) {
        return false;
    }
    const auto is = [&](uint8_t in_command) { return IsOwn(in_message, in_command); };
    if (m_TransferKind == TransferKind::Receive) {
        // A 17th data message has no place in the bank.
        const bool blockAwaited = m_BlockCounter < kEndOfData || !m_TransferRunning;
        return (is(HS_DAT) && blockAwaited) || is(HS_EOD) ||
               (m_TransferRunning && (is(HS_ERR) || is(HS_RJC)));
    }
    return m_TransferRunning && (is(HS_ACK) || is(HS_ERR) || is(HS_RJC));
}

bool CMidiTransfer::TakeArrival(const MidiArrival& in_arrival) {
    if (!IsAwaited(in_arrival.bytes)) {
        return false;
    }
    // Only the instrument's awaited answers restart the time-out.
    if (m_TransferRunning) {
        RestartAnswerTimer();
    }
    return true;
}

void CMidiTransfer::HandleArrival(const MidiArrival& in_arrival) {
    const int32_t mode = m_Ports.GetCallbackData().m_Mode;
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
    if (m_TransferRunning && (IsOwn(bytes, HS_ERR) || IsOwn(bytes, HS_RJC))) {
        TransferReport report;
        report.answer = bytes[2];
        EndTransfer(TransferOutcome::Refused, false, std::move(report));
        return;
    }
    if (mode == 0) {
        QUORLIN_TRACE("\nMIM_LONGDATA on get patches");
        QUORLIN_TRACE("\nRecieved Ack!");
        if (m_TransferRunning) {
            SendNextBlock();
        }
        return;
    }
    TraceFlags(in_arrival.flags);
    if (IsOwn(bytes, HS_EOD) && m_BlockCounter < kEndOfData && m_TransferRunning) {
        // The instrument ended its data early: what came is kept, what did not is named.
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
}

// ---- Receiving -------------------------------------------------------------------

void CMidiTransfer::StoreReceivedBlock(const std::vector<uint8_t>& in_message) {
    if (m_BlockCounter == kEndOfData) {
        m_Host.ClearMidiBusy();
        return;
    }
    const int block = m_BlockCounter;
    CSysExData* bank = m_CurrentSysExData.PeekCurrentSysExData();
    // A block that is cut short or fails its checksum is not the instrument's data.
    // It still takes its place in the sequence so the following blocks land right.
    if (bank != nullptr && CheckBlock(in_message.data(), in_message.size()) == BlockCheck::Ok) {
        DecodeBlock(block, in_message.data(), in_message.size(), m_Entries);
        m_Host.EntriesReceived(bank, block * BLOCK_SLOTS, BLOCK_SLOTS);
    } else {
        m_DamagedBlocks.push_back(block);
    }
    ++m_BlockCounter;
    m_Host.TransferProgress(TransferKind::Receive, m_BlockCounter);
}

void CMidiTransfer::AcknowledgeBlock() {
    if (m_Ports.DeleteAllSysExBuffers() && m_Ports.CreateAllSysExBuffers()) {
        SendAck();
    }
}

// ---- Sending ---------------------------------------------------------------------

void CMidiTransfer::SendNextBlock() {
    QUORLIN_TRACE("Sent Block %d\n", m_BlockCounter);
    if (m_BlockCounter > kEndOfData) {
        m_Host.ClearMidiBusy();
        if (m_Ports.DeleteAllSysExBuffers()) {
            EndTransfer(TransferOutcome::Completed, true);
        }
        return;
    }
    if (!m_Ports.DeleteAllSysExBuffers() || !m_Ports.CreateAllSysExBuffers()) {
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

void CMidiTransfer::SendDataBlock() {
    if (!m_Ports.OpenMidiPorts()) {
        return;
    }
    // Built from the bank as it is now: an edit made since the send began goes out
    // if its block has not gone yet.
    const DataMessage message =
        m_Ports.GetPortData().m_Messages.BuildDataMessage(m_BlockCounter, m_Entries);
    if (std::any_of(message.begin() + 1, message.end() - 1, [](uint8_t b) { return b & 0x80; })) {
        // Edited in since the send began: never put a broken message on the wire.
        TransferReport report;
        for (int index : EntriesWithHighBytes(*m_CurrentSysExData.PeekCurrentSysExData())) {
            if (index / BLOCK_SLOTS == m_BlockCounter) {
                report.highEntries.push_back(index);
            }
        }
        EndTransfer(TransferOutcome::NotSendable, false, std::move(report));
        return;
    }
    Send(message.data(), BLOCK_SIZE, false);
}

void CMidiTransfer::SendAck() {
    if (m_Ports.OpenMidiPorts()) {
        const CHandshakeMessages& messages = m_Ports.GetPortData().m_Messages;
        Send(messages.Ack(), messages.AckLength(), false);
    }
}

void CMidiTransfer::SendEod() {
    if (m_Ports.OpenMidiPorts()) {
        const CHandshakeMessages& messages = m_Ports.GetPortData().m_Messages;
        Send(messages.Eod(), messages.EodLength(), false);
    }
}

MMRESULT CMidiTransfer::Send(const uint8_t* in_message, int32_t in_length, bool in_isWsd) {
    const MMRESULT result = m_Ports.SendMessage(in_message, in_length, in_isWsd);
    if (result == MMSYSERR_NOERROR) {
        m_LastSent.assign(in_message, in_message + in_length);
        if (m_TransferRunning) {
            RestartAnswerTimer();
        }
    }
    return result;
}

// ---- The time-out ------------------------------------------------------------------

void CMidiTransfer::RestartAnswerTimer() {
    StopAnswerTimer();
    std::weak_ptr<CMidiTransfer*> alive = m_ptrAlive;
    const int wait = m_Ports.GetCallbackData().m_Delay + kAnswerTimeoutMs;
    m_AnswerTimer = m_Loop.RunAfter(wait, [alive]() {
        if (auto self = alive.lock()) {
            (*self)->OnAnswerTimeout();
        }
    });
    m_AnswerTimerRunning = true;
}

void CMidiTransfer::StopAnswerTimer() {
    if (m_AnswerTimerRunning) {
        m_Loop.Cancel(m_AnswerTimer);
        m_AnswerTimerRunning = false;
    }
}

void CMidiTransfer::OnAnswerTimeout() {
    m_AnswerTimerRunning = false;
    if (!m_TransferRunning) {
        return;
    }
    // An answer that has come and waits behind its delay keeps the transfer alive;
    // short messages (active sensing, clock) are no answer, however many wait.
    if (m_Input.AnswerWaiting()) {
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

// ---- The end -----------------------------------------------------------------------

void CMidiTransfer::Abandon() {
    if (m_TransferRunning) {
        EndTransfer(TransferOutcome::Abandoned, false);
    }
}

TransferOutcome CMidiTransfer::ReceiveOutcome() const {
    return m_DamagedBlocks.empty() ? TransferOutcome::Completed : TransferOutcome::CompletedDamaged;
}

void CMidiTransfer::EndTransfer(TransferOutcome in_outcome, bool in_busyCleared,
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
    // The entries that arrived: a fetch's blocks stored intact, a send's blocks sent.
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
