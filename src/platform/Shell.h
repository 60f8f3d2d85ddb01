#pragma once

#include <string>

namespace platform {

// Opens a page in the user's browser.
class Shell {
  public:
    virtual ~Shell() = default;
    // False when no browser could be started for it.
    [[nodiscard]] virtual bool OpenUrl(const std::string& url) = 0;
};

}  // namespace platform
