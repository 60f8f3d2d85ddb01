#include "midi/RtMidiQuietStderr.h"

#include <cstdio>
#include <iostream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

RtMidiQuietStderr::RtMidiQuietStderr() : m_ptrOldBuffer(std::cerr.rdbuf(m_Text.rdbuf())) {
#ifndef _WIN32
    std::fflush(stderr);
    m_SavedFd = ::dup(2);
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (m_SavedFd >= 0 && devNull >= 0) {
        ::dup2(devNull, 2);
    }
    if (devNull >= 0) {
        ::close(devNull);
    }
#endif
}

RtMidiQuietStderr::~RtMidiQuietStderr() {
    std::cerr.rdbuf(m_ptrOldBuffer);
#ifndef _WIN32
    std::fflush(stderr);
    if (m_SavedFd >= 0) {
        ::dup2(m_SavedFd, 2);
        ::close(m_SavedFd);
    }
#endif
}
