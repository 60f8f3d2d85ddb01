#pragma once

#include <QByteArray>

// Where the main frame's bars and panels (which are shown, where they are docked, how
// wide) are kept between runs, as QMainWindow::saveState gives them.
class WindowLayoutStore {
  public:
    virtual ~WindowLayoutStore() = default;
    // Empty when nothing was kept.
    virtual QByteArray Load() = 0;
    virtual void Save(const QByteArray& in_state) = 0;
};

// For this run only: what a program without a settings file of its own, or a test, uses.
class MemoryWindowLayoutStore : public WindowLayoutStore {
  public:
    QByteArray Load() override { return m_State; }
    void Save(const QByteArray& in_state) override { m_State = in_state; }
    QByteArray m_State;
};

// QSettings under "Velmora" / "Version 1.0", as "WindowLayout", beside the library folder.
class QtWindowLayoutStore : public WindowLayoutStore {
  public:
    QByteArray Load() override;
    void Save(const QByteArray& in_state) override;
};
