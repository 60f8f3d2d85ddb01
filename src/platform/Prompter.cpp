#include "platform/Prompter.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {
ConsolePrompter g_ConsolePrompter;
std::atomic<Prompter*> g_Prompter{nullptr};
}  // namespace

Prompter& GetPrompter() {
    Prompter* prompter = g_Prompter.load();
    return prompter ? *prompter : g_ConsolePrompter;
}

void SetPrompter(Prompter* in_prompter) {
    g_Prompter.store(in_prompter);
}

PromptAnswer ConsolePrompter::Message(const std::string& text, PromptButtons) {
    std::fprintf(stderr, "Quorlin: %s\n", text.c_str());
    return PromptAnswer::Ok;
}

void ConsolePrompter::Beep() {
    std::fputc('\a', stderr);
}

PromptAnswer RecordingPrompter::Message(const std::string& text, PromptButtons buttons) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Messages.push_back({text, buttons});
    if (m_Answers.empty()) {
        return PromptAnswer::Ok;
    }
    PromptAnswer answer = m_Answers.front();
    m_Answers.pop_front();
    return answer;
}

void RecordingPrompter::Beep() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    ++m_Beeps;
}

void RecordingPrompter::QueueAnswer(PromptAnswer answer) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Answers.push_back(answer);
}

std::vector<RecordingPrompter::Entry> RecordingPrompter::Messages() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Messages;
}

std::vector<std::string> RecordingPrompter::Texts() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> texts;
    for (const Entry& entry : m_Messages) {
        texts.push_back(entry.text);
    }
    return texts;
}

int RecordingPrompter::BeepCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Beeps;
}

void RecordingPrompter::Clear() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Messages.clear();
    m_Answers.clear();
    m_Beeps = 0;
}

ScopedPrompter::ScopedPrompter(Prompter& in_prompter) : m_Previous(g_Prompter.load()) {
    SetPrompter(&in_prompter);
}

ScopedPrompter::~ScopedPrompter() {
    SetPrompter(m_Previous);
}

}  // namespace platform
