#pragma once

#include <QObject>
#include <map>

#include "platform/EventLoop.h"

class QTimer;

namespace platform {

// The MIDI link's loop on the Qt event loop of the user-interface thread.
class QtEventLoop : public EventLoop {
  public:
    QtEventLoop();
    ~QtEventLoop() override;

    TimerId RunAfter(int in_ms, Task in_task) override;
    void Cancel(TimerId in_id) override;
    void Post(Task in_task) override;

  private:
    QObject m_Context;  // lives on the UI thread; queued calls run there
    std::map<TimerId, QTimer*> m_Timers;
    TimerId m_NextId = 1;
};

}  // namespace platform
