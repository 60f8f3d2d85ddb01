#pragma once

#include "platform/Shell.h"

namespace platform {

// Opens web pages (and the local user guide) with the desktop's browser.
class QtShell : public Shell {
  public:
    bool OpenUrl(const std::string& url) override;
};

}  // namespace platform
