#include "view/ViewHost.h"

ViewHost* GetViewHost() {
    // The application registers itself once, as the dialogs' host.
    return dynamic_cast<ViewHost*>(GetDialogHost());
}
