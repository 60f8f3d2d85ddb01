#include "ops/LinkSession.h"

#include <cstdint>

#include "midi/MidiManager.h"
#include "platform/EventLoop.h"

namespace ops {

LinkSession::LinkSession(MidiService& in_service, const LinkSetup& in_setup, Progress in_progress)
    : m_DelayMs(in_setup.delayMs),
      m_Progress(std::move(in_progress)),
      m_ptrLoop(std::make_unique<platform::PlainEventLoop>()),
      m_ptrLink(
          std::make_unique<CMidiManager>(in_service, *m_ptrLoop, static_cast<MidiHost&>(*this))) {
    m_ptrLink->SetMidiInDevID(in_setup.inDevice);
    m_ptrLink->SetMidiOutDevID(in_setup.outDevice);
    m_ptrLink->GetMessages().SetMidiChannel(in_setup.channel);
}

LinkSession::~LinkSession() = default;

TransferResult LinkSession::Fetch(CSysExData& io_bank) {
    return Run(TransferKind::Receive, io_bank);
}

TransferResult LinkSession::Send(CSysExData& in_bank) {
    return Run(TransferKind::Send, in_bank);
}

TransferResult LinkSession::Run(TransferKind in_kind, CSysExData& io_bank) {
    m_Result = TransferResult{};
    m_ptrLink->SetCurrentSysExData(&io_bank);
    if (in_kind == TransferKind::Receive) {
        m_ptrLink->GetPatches();
    } else {
        m_ptrLink->SendPatches();
    }
    // The link's own time-out ends a transfer that stalls; this is only a backstop.
    const int64_t limitMs = 20 * (int64_t(m_DelayMs) + CMidiManager::kAnswerTimeoutMs) + 10000;
    if (!m_Result.ended) {
        (void)m_ptrLoop->Run(limitMs);
    }
    const TransferResult result = m_Result;
    // The caller takes its bank back: a transfer that has not ended stops here, quietly.
    m_ptrLink->ForgetSysExData(&io_bank);
    return result;
}

void LinkSession::TransferProgress(TransferKind in_kind, int in_blocksDone) {
    if (m_Progress) {
        m_Progress(in_kind, in_blocksDone);
    }
}

void LinkSession::TransferEnded(TransferKind, TransferOutcome in_outcome) {
    m_Result.ended = true;
    m_Result.outcome = in_outcome;
    m_ptrLoop->Quit();
}

}  // namespace ops
