#pragma once

#include <sstream>
#include <streambuf>
#include <string>

// RtMidi writes its complaints to std::cerr and the MIDI servers' own libraries
// to the standard error stream while an API is tried; an API that cannot start
// is left out without a word. The text RtMidi wrote is kept: a JACK API whose
// server is not running does not throw, it only says so.
class RtMidiQuietStderr {
  public:
    RtMidiQuietStderr();
    ~RtMidiQuietStderr();
    RtMidiQuietStderr(const RtMidiQuietStderr&) = delete;
    RtMidiQuietStderr& operator=(const RtMidiQuietStderr&) = delete;

    std::string Text() const { return m_Text.str(); }

  private:
    std::ostringstream m_Text;
    std::streambuf* m_ptrOldBuffer;
#ifndef _WIN32
    int m_SavedFd = -1;
#endif
};
