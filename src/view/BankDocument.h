#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

#include "bank/BankEntries.h"
#include "bank/BankFiles.h"

class CQuorlinView;
class CSysExData;

// What a bank window needs of the document it shows. The window only reads the bank;
// every change goes through these operations, each one step the user can undo.
class BankDocument {
  public:
    virtual ~BankDocument() = default;
    virtual CSysExData* GetSysExData() = 0;
    virtual void AddView(CQuorlinView* in_view) = 0;
    virtual void RemoveView(CQuorlinView* in_view) = 0;
    virtual bool IsModified() const = 0;
    // The window title's name of the bank, such as "MKS80v1" or "mine.m80".
    virtual QString GetTitle() const = 0;

    // Writes in_after (a later value for the same entry wins) as one step named
    // in_stepName, e.g. "Name From Library". False, and no step, when nothing changes.
    virtual bool ReplaceEntries(const QString& in_stepName, const BankEntries& in_after) = 0;
    // "Rename Patch 35" / "Rename Tone 35".
    virtual bool RenameEntry(bool in_tone, int in_index, const std::string& in_name) = 0;
    // "Paste Patch 35" / "Paste Tone 35": the entries a paste onto entry in_index writes.
    virtual bool PasteEntries(bool in_tone, int in_index, const BankEntries& in_after) = 0;
    // "Set VCF Cutoff of Tone 23" / "Set Upper Glide of Patch 35": one parameter of one
    // entry to the valid stored value in_stored. Changes that carry the same non-zero
    // in_gesture (one drag of a slider, one key held down) and follow each other on the
    // same parameter are one step. An entry that was never loaded becomes a loaded one.
    // False, and no step, when nothing changes or the value is not valid.
    virtual bool SetParameter(const EntryParameter& in_which, int in_stored, int in_gesture) = 0;
    // "Open Sysex Data": a recorded dump, MIDI file or bank file read into the bank as
    // one step. A dump fills only the entries it holds. Nothing changes, and no step is
    // recorded, when the report says no entry was read.
    virtual BankReadReport ImportFile(const std::string& in_path) = 0;
};
