#include "sim/PanelLine.h"

#include <cstdio>
#include <optional>
#include <sstream>

#include "bank/SysExData.h"
#include "midi/Mks80Engine.h"
#include "mks80/Messages.h"
#include "platform/CommandLine.h"

namespace {

constexpr size_t kMaxSentBytes = 1000;

PanelAction Refused(const std::string& in_why) {
    PanelAction action;
    action.error = in_why;
    return action;
}

PanelAction Select(const std::vector<std::string>& in_words, Mks80Engine& io_engine) {
    const int index = in_words.size() == 2 ? EntryIndexFromNumber(in_words[1]) : -1;
    if (index < 0) {
        return Refused("select wants a patch number, 11 to 88");
    }
    PanelAction action;
    action.messages = io_engine.SelectPatch(index);
    return action;
}

PanelAction Edit(const std::vector<std::string>& in_words, Mks80Engine& io_engine) {
    if (in_words.size() != 4) {
        return Refused("edit wants tone, upper or lower, a parameter number and a value");
    }
    mks80::Kind kind = mks80::Kind::Patch;
    mks80::Half half = mks80::Half::Upper;
    if (in_words[1] == "tone") {
        kind = mks80::Kind::Tone;
    } else if (in_words[1] == "lower") {
        half = mks80::Half::Lower;
    } else if (in_words[1] != "upper") {
        return Refused("edit wants tone, upper or lower, not " + in_words[1]);
    }
    int number = 0;
    int value = 0;
    if (!platform::ParseWholeNumber(in_words[2], 0, 99, number) ||
        !mks80::FindParameter(kind, number)) {
        return Refused("there is no " + in_words[1] + " parameter " + in_words[2]);
    }
    std::optional<std::vector<uint8_t>> ipr;
    if (platform::ParseWholeNumber(in_words[3], 0, 127, value)) {
        ipr = io_engine.EditSound(kind, half, number, value);
    }
    if (!ipr) {
        return Refused(std::string(mks80::FindParameter(kind, number)->name) + " cannot be " +
                       in_words[3]);
    }
    PanelAction action;
    action.messages.push_back(std::move(*ipr));
    return action;
}

PanelAction Send(const std::vector<std::string>& in_words) {
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i < in_words.size(); ++i) {
        const std::string& word = in_words[i];
        unsigned value = 0;
        char rest = 0;
        if (word.size() != 2 || std::sscanf(word.c_str(), "%2x%c", &value, &rest) != 1) {
            return Refused("send wants bytes as two hexadecimal digits each, not " + word);
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    bool inner = true;
    for (size_t i = 1; i + 1 < bytes.size(); ++i) {
        inner = inner && bytes[i] < 0x80;
    }
    if (bytes.size() < 2 || bytes.size() > kMaxSentBytes || bytes.front() != 0xF0 ||
        bytes.back() != 0xF7 || !inner) {
        return Refused("send wants one system-exclusive message: F0, bytes below 80, F7");
    }
    PanelAction action;
    action.messages.push_back(std::move(bytes));
    return action;
}

}  // namespace

PanelAction RunPanelLine(const std::string& in_line, Mks80Engine& io_engine) {
    std::istringstream stream(in_line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    if (words.empty()) {
        return {};
    }
    if (words[0] == "select") {
        return Select(words, io_engine);
    }
    if (words[0] == "edit") {
        return Edit(words, io_engine);
    }
    if (words[0] == "send") {
        return Send(words);
    }
    return Refused("unknown command " + words[0] + " (select, edit or send)");
}

std::string HexBytes(const std::vector<uint8_t>& in_bytes) {
    std::string text;
    char hex[4];
    for (uint8_t byte : in_bytes) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        if (!text.empty()) {
            text += ' ';
        }
        text += hex;
    }
    return text;
}
