#pragma once

// RtMidi's errors as the link's result codes: what RtMidi reports through its
// error callback, what it throws, and the code each becomes.
#include <RtMidi.h>

#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "midi/MidiService.h"
#include "platform/Trace.h"

// What RtMidi reported through its error callback during one call. With a
// callback installed RtMidi no longer throws its own errors, so every call is
// judged by what arrived here.
class RtMidiErrorSink {
  public:
    static void OnError(RtMidiError::Type in_type, const std::string& in_text, void* in_user);
    void Clear();
    std::optional<RtMidiError::Type> Take(std::string& out_text);

  private:
    std::mutex m_Mutex;
    std::optional<RtMidiError::Type> m_Type;
    std::string m_Text;
};

// The result code of an RtMidi error: in_invalid for a bad device or parameter,
// in_generic for anything without a code of its own.
MMRESULT RtMidiCode(RtMidiError::Type in_type, MMRESULT in_generic, MMRESULT in_invalid);

// Runs in_call on an RtMidi object reporting into in_sink and turns whatever
// went wrong, thrown or reported, into a result code.
template <typename Call>
MMRESULT RtMidiGuarded(RtMidiErrorSink& in_sink, MMRESULT in_generic, MMRESULT in_invalid,
                       Call in_call) {
    in_sink.Clear();
    try {
        in_call();
    } catch (const RtMidiError& error) {
        QUORLIN_TRACE("\nRtMidiService: %s", error.what());
        return RtMidiCode(error.getType(), in_generic, in_invalid);
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (const std::exception& error) {
        QUORLIN_TRACE("\nRtMidiService: %s", error.what());
        return in_generic;
    } catch (...) {
        return in_generic;
    }
    std::string text;
    if (std::optional<RtMidiError::Type> type = in_sink.Take(text)) {
        QUORLIN_TRACE("\nRtMidiService: %s", text.c_str());
        return RtMidiCode(*type, in_generic, in_invalid);
    }
    return MMSYSERR_NOERROR;
}
