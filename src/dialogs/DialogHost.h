#pragma once

#include <cstdint>

class CMidiManager;

// The MIDI setup the port dialog shows and changes.
struct MidiSetupValues {
    uint32_t inDevID = 0;
    uint32_t outDevID = 0;
    int32_t channel = 0;
    uint32_t saveSettingsOnExit = 0;
};

// What the dialogs need of the application: the MIDI link, its setup and the transfer
// delay, and the longest entry name. The application implements it; the dialogs never
// reach the application otherwise.
class DialogHost {
  public:
    virtual ~DialogHost() = default;
    virtual CMidiManager* GetMidiManager() = 0;
    virtual int GetPauseTime() = 0;
    // Stores the delay (and reports when the setting cannot be saved).
    virtual void SetPauseTime(int32_t in_pauseTime) = 0;
    virtual MidiSetupValues GetMidiSetup() const = 0;
    // Keeps the setup; a changed channel is handed to the link as well.
    virtual void SetMidiSetup(const MidiSetupValues& in_setup) = 0;
    virtual int GetMaxNameLength() const = 0;
    // The setup dialog's test of two devices ended: the link's own ports, which it
    // closed, may listen again.
    virtual void DeviceTestEnded() {}
};

// The process-wide host, or nullptr when no application object exists (the dialogs then
// use their defaults).
DialogHost* GetDialogHost();
void SetDialogHost(DialogHost* in_host);
