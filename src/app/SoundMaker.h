#pragma once

#include <QObject>
#include <QString>

#include "bank/BankEntries.h"

class CMainFrame;
class CQuorlinApp;
class CQuorlinDoc;

// New sounds from old: Blend With..., Mutate... and Find Similar for the selected entry
// of the active bank window. Made with the main frame, whose command table holds its
// commands.
//
// While a dialog is open it writes each result it shows into the entry itself, without
// an undo step, so that everything that shows or plays the entry follows; OK puts the
// entry back and records the result as one step, Cancel puts the entry back.
class CSoundMaker : public QObject {
    Q_OBJECT

  public:
    CSoundMaker(CQuorlinApp& in_app, CMainFrame& in_frame);

    // The commands.
    void OnBlendWith();
    void OnMutate();
    void OnFindSimilar();

  private:
    // The active bank window's selected entry; false when there is none to change.
    bool Selected(CQuorlinDoc*& out_doc, BankEntry& out_entry) const;

    CQuorlinApp& m_App;
    CMainFrame& m_Frame;
};

// "Tone 23", "Patch 35".
QString EntryTitle(bool in_tone, int in_index);
