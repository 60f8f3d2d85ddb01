#include "platform/qt/QtEventLoop.h"

#include <QMetaObject>
#include <QTimer>

namespace platform {

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() {
    // The timers are children of m_Context and go with it; none may fire after this.
    for (auto& entry : m_Timers) {
        entry.second->stop();
    }
}

EventLoop::TimerId QtEventLoop::RunAfter(int in_ms, Task in_task) {
    const TimerId id = m_NextId++;
    auto* timer = new QTimer(&m_Context);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &m_Context, [this, id, task = std::move(in_task)]() {
        auto found = m_Timers.find(id);
        if (found == m_Timers.end()) {
            return;
        }
        found->second->deleteLater();
        m_Timers.erase(found);
        task();
    });
    m_Timers.emplace(id, timer);
    timer->start(in_ms < 0 ? 0 : in_ms);
    return id;
}

void QtEventLoop::Cancel(TimerId in_id) {
    auto found = m_Timers.find(in_id);
    if (found == m_Timers.end()) {
        return;
    }
    found->second->stop();
    found->second->deleteLater();
    m_Timers.erase(found);
}

void QtEventLoop::Post(Task in_task) {
    QMetaObject::invokeMethod(
        &m_Context, [task = std::move(in_task)]() { task(); }, Qt::QueuedConnection);
}

}  // namespace platform
