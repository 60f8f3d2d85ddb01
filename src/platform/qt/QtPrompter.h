#pragma once

#include "platform/Prompter.h"

class QWidget;

namespace platform {

// Message boxes captioned "Quorlin" with the exclamation icon, over the active window.
class QtPrompter : public Prompter {
  public:
    PromptAnswer Message(const std::string& text, PromptButtons buttons) override;
    void Beep() override;
};

}  // namespace platform
