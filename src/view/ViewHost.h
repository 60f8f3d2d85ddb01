#pragma once

#include <QString>
#include <QStringList>

#include "dialogs/DialogHost.h"

class CQuorlinView;

// What a bank window needs of the application, beyond what its dialogs need: the
// window the user works in, the selection data display, a file to open and the user
// guide. The application implements it; the view never reaches the application
// otherwise.
class ViewHost : public DialogHost {
  public:
    // The window the user works in now; its bank is the one the next transfer uses.
    virtual void SetActiveBankView(CQuorlinView* in_view) = 0;
    virtual void DisplaySelectionData() = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString AskOpenFileName(const QString& in_caption, const QStringList& in_filters) = 0;
    virtual QString AskSaveFileName(const QString& in_caption, const QString& in_proposed,
                                    const QStringList& in_filters) = 0;
    virtual void ShowHelpContents() = 0;
};

// The process-wide host (the dialogs' host, SetDialogHost), or nullptr when no
// application object exists.
ViewHost* GetViewHost();
