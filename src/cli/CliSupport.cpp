#include "cli/CliSupport.h"

#include <cstdio>

#include "bank/BankFiles.h"
#include "cli/CliExit.h"

int Fail(int in_code, const std::string& in_message) {
    std::fprintf(stderr, "quorlin-cli: %s\n", in_message.c_str());
    return in_code;
}

int UsageError(const std::string& in_message) {
    return Fail(kExitUsage, in_message + " (see quorlin-cli --help)");
}

int ReadInput(const std::string& in_path, CSysExData& in_bank) {
    switch (ReadBankOrDump(in_path, in_bank)) {
        case ReadResult::Ok:
            return kExitOk;
        case ReadResult::CannotOpen:
            return Fail(kExitInput, in_path + ": cannot be opened for reading");
        case ReadResult::NotABank:
            break;
    }
    return Fail(kExitInput, in_path + ": not a bank file or a recorded dump, or cut short");
}

bool EndsWith(const std::string& in_text, const std::string& in_suffix) {
    if (in_text.size() < in_suffix.size()) {
        return false;
    }
    std::string tail = in_text.substr(in_text.size() - in_suffix.size());
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return tail == in_suffix;
}
