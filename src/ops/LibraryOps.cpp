#include "ops/LibraryOps.h"

#include "bank/SysExData.h"

namespace ops {

LibraryNamingResult NameFromLibrary(const CSysExData& in_bank, const CLibraryIndex& in_library) {
    LibraryNamingResult result;
    result.naming = NamesFromLibrary(in_bank, in_library);
    for (const LibraryName& each : result.naming.names) {
        result.entries.push_back(ReadEntry(in_bank, each.kind == EntryKind::Tone, each.index));
        result.entries.back().name = each.name;
    }
    result.summary = NamingSummary(result.naming);
    return result;
}

}  // namespace ops
