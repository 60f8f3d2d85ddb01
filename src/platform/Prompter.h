#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Every message box of the program goes through a Prompter: caption "Quorlin",
// exclamation icon, OK (or OK and Cancel). Tests answer it on script.
enum class PromptButtons { Ok, OkCancel };
enum class PromptAnswer { Ok, Cancel };

class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Message(const std::string& text,
                                 PromptButtons buttons = PromptButtons::Ok) = 0;
    virtual void Beep() = 0;
};

// The process-wide prompter. Starts as a ConsolePrompter; the desktop program
// installs its message-box prompter at start-up. Never null.
Prompter& GetPrompter();
// Installs in_prompter (not owned; nullptr puts the console prompter back).
void SetPrompter(Prompter* in_prompter);

// Writes each message to standard error; answers OK.
class ConsolePrompter : public Prompter {
  public:
    PromptAnswer Message(const std::string& text, PromptButtons buttons) override;
    void Beep() override;
};

// Records every message and beep; answers from a script (OK once the script is used up).
class RecordingPrompter : public Prompter {
  public:
    struct Entry {
        std::string text;
        PromptButtons buttons;
    };
    PromptAnswer Message(const std::string& text, PromptButtons buttons) override;
    void Beep() override;

    void QueueAnswer(PromptAnswer answer);
    std::vector<Entry> Messages() const;
    std::vector<std::string> Texts() const;
    int BeepCount() const;
    void Clear();

  private:
    mutable std::mutex m_Mutex;
    std::vector<Entry> m_Messages;
    std::deque<PromptAnswer> m_Answers;
    int m_Beeps = 0;
};

// Installs a prompter for the lifetime of the guard and puts the previous one back.
class ScopedPrompter {
  public:
    explicit ScopedPrompter(Prompter& in_prompter);
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

  private:
    Prompter* m_Previous;
};

}  // namespace platform
