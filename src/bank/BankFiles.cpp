#include "bank/BankFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "bank/Archive.h"
#include "bank/BlockLayout.h"
#include "bank/SysExData.h"

ReadResult ReadBankOrDump(const std::string& in_path, CSysExData& in_bank) {
    std::ifstream file(in_path, std::ios::binary);
    if (!file) {
        return ReadResult::CannotOpen;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return ReadResult::CannotOpen;
    }
    if (bytes.empty()) {
        return ReadResult::Ok;
    }
    if (static_cast<uint8_t>(bytes[0]) == 0xF0) {
        const int blocks =
            in_bank.ImportSysEx(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        return blocks > 0 ? ReadResult::Ok : ReadResult::NotABank;
    }
    std::istringstream stream(bytes);
    CArchive archive(stream);
    return in_bank.LoadBank(archive) ? ReadResult::Ok : ReadResult::NotABank;
}

bool WriteFileAtomically(const std::string& in_path, const std::string& in_bytes) {
    namespace fs = std::filesystem;
    const fs::path target(in_path);
    fs::path temp = target;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(in_bytes.data(), static_cast<std::streamsize>(in_bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temp, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

std::string BankFileBytes(const CSysExData& in_bank) {
    std::ostringstream stream;
    CArchive archive(stream);
    if (!in_bank.StoreBank(archive)) {
        return {};
    }
    return stream.str();
}
