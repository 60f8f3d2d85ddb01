#include "view/ViewHost.h"

namespace {
ViewHost* g_Host = nullptr;
}

ViewHost* GetViewHost() {
    return g_Host;
}

void SetViewHost(ViewHost* in_host) {
    g_Host = in_host;
}
