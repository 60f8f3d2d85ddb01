#pragma once

#include <string>

#include "bank/BankEntries.h"
#include "bank/LibraryIndex.h"

class CSysExData;

namespace ops {

// Naming the unnamed entries of a bank from the library.
struct LibraryNamingResult {
    LibraryNaming naming;  // which entries the library named, and from how many files
    BankEntries entries;   // those entries as they become: their own bytes, the new names
    std::string summary;   // "Named 57 patches and 60 tones from your library (3 files)"
};

// What the library in_library has for the placeholder-named entries of in_bank. The
// bank is not changed: each front end writes the entries in its own way.
LibraryNamingResult NameFromLibrary(const CSysExData& in_bank, const CLibraryIndex& in_library);

}  // namespace ops
