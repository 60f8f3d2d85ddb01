#include "dialogs/DialogHost.h"

namespace {
DialogHost* g_Host = nullptr;
}

DialogHost* GetDialogHost() {
    return g_Host;
}

void SetDialogHost(DialogHost* in_host) {
    g_Host = in_host;
}
