#include "ops/LinkSession.h"

#include <cstdint>

#include "midi/LinkTexts.h"
#include "midi/MidiManager.h"
#include "ops/LiveOps.h"
#include "platform/EventLoop.h"

namespace ops {

LinkSession::LinkSession(MidiService& in_service, const LinkSetup& in_setup, Progress in_progress,
                         Speaker in_speaker)
    : m_DelayMs(in_setup.delayMs),
      m_Progress(std::move(in_progress)),
      m_Speaker(std::move(in_speaker)),
      m_ptrLoop(std::make_unique<platform::PlainEventLoop>()),
      m_ptrLink(
          std::make_unique<CMidiManager>(in_service, *m_ptrLoop, static_cast<MidiHost&>(*this))) {
    m_ptrLink->SetMidiInDevID(in_setup.inDevice);
    m_ptrLink->SetMidiOutDevID(in_setup.outDevice);
    if (!m_ptrLink->GetMessages().SetMidiChannel(in_setup.channel)) {
        LinkFault(MidiFault{MidiFault::Where::Channel});
    }
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

LiveSendResult LinkSession::SendLive(const std::vector<std::vector<uint8_t>>& in_messages) {
    return SendAll(*m_ptrLink, in_messages);
}

LinkSession::ListenEnd LinkSession::Listen(
    const std::function<bool(const std::vector<uint8_t>&)>& in_take, int64_t in_limitMs,
    const std::function<void()>& in_listening) {
    bool done = false;
    m_ptrLink->SetInputListener([&](const MidiArrival& in_arrival) {
        if (!done && in_arrival.event == MidiInEvent::LongData && in_take(in_arrival.bytes)) {
            done = true;
            m_ptrLoop->Quit();
        }
    });
    ListenEnd end = ListenEnd::NoInput;
    if (m_ptrLink->ListenBetweenTransfers()) {
        if (in_listening) {
            in_listening();
        }
        (void)m_ptrLoop->Run(in_limitMs);
        end = done ? ListenEnd::Done : ListenEnd::TimedOut;
    }
    m_ptrLink->SetInputListener({});
    return end;
}

void LinkSession::TransferProgress(TransferKind in_kind, int in_blocksDone) {
    if (m_Progress) {
        m_Progress(in_kind, in_blocksDone);
    }
}

void LinkSession::LinkFault(const MidiFault& in_fault) {
    if (m_Speaker) {
        m_Speaker(LinkTexts(in_fault), in_fault.IsFatal());
    }
}

void LinkSession::TransferEnded(const TransferReport& in_report) {
    if (m_Speaker) {
        m_Speaker(LinkTexts(in_report), false);
    }
    m_Result.ended = true;
    m_Result.outcome = in_report.outcome;
    m_Result.report = in_report;
    m_ptrLoop->Quit();
}

}  // namespace ops
