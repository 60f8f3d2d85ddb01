#pragma once

#include <string>

namespace platform {

// Opens a web page in the user's browser. Failures are not reported.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace platform
