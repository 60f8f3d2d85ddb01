#pragma once

#include <QByteArray>

#include "app/KeptStore.h"

// Where the main frame's bars and panels (which are shown, where they are docked, how
// wide) are kept between runs, as QMainWindow::saveState gives them; empty when
// nothing was kept.
using WindowLayoutStore = KeptStore<QByteArray>;
using MemoryWindowLayoutStore = MemoryStore<WindowLayoutStore>;

// QSettings under "Velmora" / "Version 1.0", as "WindowLayout", beside the library folder.
class QtWindowLayoutStore : public WindowLayoutStore {
  public:
    QByteArray Load() override;
    void Save(const QByteArray& in_state) override;
};
