#include "midi/LinkTexts.h"

#include <algorithm>
#include <cstdio>

#include "bank/BlockLayout.h"
#include "bank/SysExData.h"
#include "midi/HandshakeMessages.h"

namespace {

const char* const kNoAnswerText =
    "The MKS-80 did not answer.\n\nCheck the MIDI cables, the MIDI ports chosen in Midi Setup and "
    "the MIDI channel, then try again.";
const char* const kRefusedText =
    "The MKS-80 refused the transfer.\n\nIts memory protect may be on: turn it off on the "
    "MKS-80 and try again.";
const char* const kHighBytesText =
    "These entries hold values the MKS-80 cannot take (128 or more): ";
const char* const kNotReceived = "\n\nThese entries were not received:";

// ---- Transfers ---------------------------------------------------------------------

// The entries of a fetch that did not arrive, those of blocks before in_upTo only,
// as " 11 12 ..." (empty when none is missing).
std::string MissingEntries(const TransferReport& in_report, int in_upTo = BLOCK_COUNT) {
    std::vector<int> missing;
    for (int index = 0; index < in_upTo * BLOCK_SLOTS; ++index) {
        if (!std::binary_search(in_report.entries.begin(), in_report.entries.end(), index)) {
            missing.push_back(index);
        }
    }
    return missing.empty() ? std::string() : " " + EntryNumberList(missing);
}

// What a send that stopped after in_blocksTaken blocks may have changed; empty when
// nothing was written.
std::string PartlyWritten(int in_blocksTaken) {
    if (in_blocksTaken <= 0) {
        return std::string();
    }
    if (in_blocksTaken >= BLOCK_COUNT) {
        return "\n\nEvery entry was sent, so the MKS-80's memory may now hold the new bank "
               "in part or in whole.";
    }
    return "\n\nThe MKS-80 now holds a partly written memory: entries 11 to " +
           EntryNumber(in_blocksTaken * BLOCK_SLOTS - 1) +
           " may have changed, the others are as they were.";
}

std::string Blocks(int in_blocks) {
    return std::to_string(in_blocks) + " of 16 blocks.";
}

std::string RefusedText(const TransferReport& in_report) {
    if (in_report.kind == TransferKind::Receive) {
        // Fetching never writes the instrument's memory: its protect is no reason.
        if (in_report.blocks == 0) {
            return "The MKS-80 refused to send its memory.";
        }
        return "The MKS-80 stopped sending its memory after " + Blocks(in_report.blocks) +
               kNotReceived + MissingEntries(in_report);
    }
    // The refused message is block blocks - 1: WSD before the first, EOD after the last.
    const int refused = in_report.blocks - 1;
    if (refused < 0) {
        return kRefusedText;
    }
    if (refused >= BLOCK_COUNT) {
        return "The MKS-80 could not store the bank it was sent." + PartlyWritten(BLOCK_COUNT);
    }
    if (in_report.answer == HS_ERR) {
        std::vector<int> entries;
        for (int j = 0; j < BLOCK_SLOTS; ++j) {
            entries.push_back(refused * BLOCK_SLOTS + j);
        }
        return "The MKS-80 could not take entries " + EntryNumberList(entries) +
               ": it answered them with an error." + PartlyWritten(refused);
    }
    return kRefusedText + PartlyWritten(refused);
}

std::string TransferText(const TransferReport& in_report) {
    const bool send = in_report.kind == TransferKind::Send;
    switch (in_report.outcome) {
        case TransferOutcome::Completed:
        case TransferOutcome::SendFailed:  // the service's own fault said why
        case TransferOutcome::Abandoned:
            return std::string();
        case TransferOutcome::NotSendable:
            return kHighBytesText + EntryNumberList(in_report.highEntries) +
                   PartlyWritten(in_report.blocks);
        case TransferOutcome::NoAnswer: {
            if (send) {
                // The block last sent may or may not have been stored.
                return kNoAnswerText + PartlyWritten(std::min(in_report.blocks, BLOCK_COUNT));
            }
            const std::string damaged = MissingEntries(in_report, in_report.blocks);
            return damaged.empty()
                       ? std::string(kNoAnswerText)
                       : kNoAnswerText + std::string("\n\nThese entries did not arrive intact:") +
                             damaged;
        }
        case TransferOutcome::CompletedDamaged:
            if (in_report.blocks < BLOCK_COUNT) {
                return "The MKS-80 ended its data after " + Blocks(in_report.blocks) +
                       kNotReceived + MissingEntries(in_report);
            }
            return "Some data did not arrive intact from the MKS-80." + std::string(kNotReceived) +
                   MissingEntries(in_report);
        case TransferOutcome::Refused:
            return RefusedText(in_report);
    }
    return std::string();
}

// ---- The service's faults ------------------------------------------------------------

// The reason texts of the service's result codes, one table for each step; a code
// without a row adds nothing.
struct Reason {
    MMRESULT code;
    const char* text;
};

// Appended to the open-output message.
const Reason kOpenOutReasons[] = {
    {MMSYSERR_BADDEVICEID, "The specified device identifier is out of range."},
    {MMSYSERR_ALLOCATED, "The specified resource is already allocated."},
    {MMSYSERR_NOMEM, "The system is unable to allocate or lock memory."},
    {MMSYSERR_INVALPARAM, "The specified pointer or structure is invalid."},
    {MIDIERR_NODEVICE, "No MIDI port was found. This error occurs only when the mapper is opened."},
};
// Appended to the prepare and unprepare messages.
const Reason kPrepareReasons[] = {
    {MMSYSERR_INVALHANDLE, "\n\nThe specified device handle is invalid."},
    {MMSYSERR_NOMEM, "\n\nThe system is unable to allocate or lock memory."},
    {MMSYSERR_INVALPARAM, "\n\nThe specified address is invalid."},
};
// Appended to the message of a failed queueing of the input buffer.
const Reason kAddReasons[] = {
    {MMSYSERR_INVALHANDLE, "\n\nThe specified device handle is invalid."},
    {MMSYSERR_NOMEM, "\n\nThe system is unable to allocate or lock memory."},
    {MMSYSERR_INVALPARAM, "\n\nThe specified pointer or structure is invalid."},
    {MIDIERR_UNPREPARED, "\n\nThe buffer pointed to by lpMidiInHdr has not been prepared."},
    {MIDIERR_STILLPLAYING, "\n\nThe buffer pointed to by lpMidiInHdr is still in the queue."},
};
// The box after "Error" for a failed send; the invalid parameter has a text only
// when the announcement of a send (WSD) failed.
const Reason kSendReasons[] = {
    {MMSYSERR_INVALHANDLE,
     "MidiOut Error - MMSYSERR_INVALHANDLE:\nThe specified device handle is invalid."},
    {MIDIERR_NOTREADY, "MidiOut Error - MIDIERR_NOTREADY:\nThe hardware is busy with other data."},
    {MIDIERR_BADOPENMODE,
     "MidiOut Error - MIDIERR_BADOPENMODE:\nThe application sent a message without a status byte "
     "to a stream handle."},
};
const Reason kWantToSendReasons[] = {
    {MMSYSERR_INVALPARAM, "The specified pointer or structure is invalid"},
};

template <size_t N>
std::string ReasonOf(const Reason (&in_table)[N], MMRESULT in_code) {
    for (const Reason& reason : in_table) {
        if (reason.code == in_code) {
            return reason.text;
        }
    }
    return std::string();
}

const char* const kInternal = "Internal Program Error: Inside CMidiManager::";

std::string FaultText(const MidiFault& in_fault) {
    using Where = MidiFault::Where;
    const MMRESULT code = in_fault.code;
    switch (in_fault.where) {
        case Where::InOpen:
            return "Cannot Open Midi In Port";
        case Where::InStart:
            return kInternal + std::string("OpenMidiInPort() - MidiInStart has failed");
        case Where::OutOpen: {
            char text[128];
            std::snprintf(
                text, sizeof text,
                "Internal Program Error: Inside CMidiManager::OpenMidiOutPort()\n\n\nError "
                "was %d, base %d",
                static_cast<int>(code), 0);
            return text + ReasonOf(kOpenOutReasons, code);
        }
        case Where::InPrepare:
            return kInternal +
                   std::string("CreateSysExBuffers.\nCould Not Create SYSEX Input buffers.") +
                   ReasonOf(kPrepareReasons, code);
        case Where::InAdd:
            return kInternal +
                   std::string(
                       "CreateSysExBuffers.\nCould Not attach SYSEX Input buffers to the MIDI in "
                       "port.") +
                   ReasonOf(kAddReasons, code);
        case Where::OutPrepare:
            return kInternal +
                   std::string(
                       "CreateOutSysExBuffer.\nCould Not Create SYSEX Output buffers.\nOn "
                       "midiOutPrepareHeader") +
                   ReasonOf(kPrepareReasons, code);
        case Where::InUnprepare:
            return kInternal +
                   std::string(
                       "DeleteInSysExBuffer.\nCould Not release the SYSEX Input buffer.\nOn "
                       "midiInUnprepareHeader") +
                   ReasonOf(kPrepareReasons, code);
        case Where::OutUnprepare:
            return kInternal +
                   std::string(
                       "DeleteOutSysExBuffer.\nCould Not release the SYSEX Output buffer.\nOn "
                       "midiOutUnprepareHeader") +
                   ReasonOf(kPrepareReasons, code);
        case Where::OutBuffer:
            return kInternal +
                   std::string("CopyToOutBuffer, the message does not fit the output buffer.");
        case Where::EntryIndex:
            return kInternal + std::string("aGetToneData, invalid in_SysExBlock");
        case Where::Channel:
            return "Internal Program Error: Invalid Midi Channel.  Program will now exit.";
        case Where::Send:
        case Where::SendWantToSend:
            break;
    }
    return std::string();
}

}  // namespace

std::vector<std::string> LinkTexts(const TransferReport& in_report) {
    std::string text = TransferText(in_report);
    return text.empty() ? std::vector<std::string>() : std::vector<std::string>{std::move(text)};
}

std::vector<std::string> LinkTexts(const MidiFault& in_fault) {
    if (in_fault.where == MidiFault::Where::Send ||
        in_fault.where == MidiFault::Where::SendWantToSend) {
        // "Error" first, then the reason its code has, if it has one.
        std::vector<std::string> texts{"Error"};
        std::string reason = ReasonOf(kSendReasons, in_fault.code);
        if (in_fault.where == MidiFault::Where::SendWantToSend && reason.empty()) {
            reason = ReasonOf(kWantToSendReasons, in_fault.code);
        }
        if (!reason.empty()) {
            texts.push_back(std::move(reason));
        }
        return texts;
    }
    return {FaultText(in_fault)};
}
