// How fast the library is: a generated library of 10 000 bank files, each figure
// against a baseline measured in the same run.
//
//   library_bench [FILES]     prints one line per figure and whether its target holds
//
// Targets: indexing at most 3 times reading the same bytes raw; naming a whole fetched
// bank under 10 ms; one keystroke of the Library window's filter under 50 ms; finding
// the 50 entries nearest to a tone and to a patch under 100 ms each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/LibraryFilter.h"
#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"

#ifdef QUORLIN_BENCH_GUI
#include <QApplication>
#include <QLineEdit>

#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"
#endif

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point in_start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - in_start).count();
}

// Small, fixed pseudo-random numbers, so every run builds the same library.
class Numbers {
  public:
    uint32_t Next() {
        m_State = m_State * 1664525u + 1013904223u;
        return m_State >> 8;
    }

  private:
    uint32_t m_State = 12345;
};

const char* const kWords[] = {"Brass", "Strings", "Pad",  "Lead",  "Bass",  "Choir",
                              "Organ", "Bell",    "Sync", "Sweep", "Pluck", "Glass"};

// A bank of its own bytes; three of four entries named, as a user's banks are.
void FillBank(CSysExData& io_bank, Numbers& io_numbers, int in_file) {
    for (int i = 0; i < BANK_SIZE; ++i) {
        int8_t patch[PATCH_PARAM_COUNT];
        int8_t tone[TONE_PARAM_COUNT];
        for (int8_t& b : patch) {
            b = static_cast<int8_t>(io_numbers.Next() % 128);
        }
        for (int8_t& b : tone) {
            b = static_cast<int8_t>(io_numbers.Next() % 128);
        }
        io_bank.GetPatch(i)->SetData(patch);
        io_bank.GetTone(i)->SetData(tone);
        const std::string word = kWords[io_numbers.Next() % 12];
        if (io_numbers.Next() % 4 != 0) {
            io_bank.GetPatch(i)->SetName(word + " " + std::to_string(in_file) + "-" +
                                         EntryNumber(i));
        }
        if (io_numbers.Next() % 4 != 0) {
            io_bank.GetTone(i)->SetName(word + " tone " + std::to_string(in_file));
        }
    }
}

// Walks the folder and reads every bank file's bytes, as the index does, and no more.
size_t ReadRaw(const fs::path& in_root) {
    size_t total = 0;
    std::vector<char> buffer(8192);
    for (const auto& entry : fs::recursive_directory_iterator(in_root)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".m80") {
            continue;
        }
        (void)fs::last_write_time(entry.path());
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(entry.path().c_str(), "rb"),
                                                   &std::fclose);
        size_t got = 0;
        std::string bytes;
        while (file && (got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
            bytes.append(buffer.data(), got);
        }
        total += bytes.size();
    }
    return total;
}

template <typename Work>
double Best(int in_runs, Work in_work) {
    double best = 1e300;
    for (int i = 0; i < in_runs; ++i) {
        const Clock::time_point start = Clock::now();
        in_work();
        best = std::min(best, Ms(start));
    }
    return best;
}

bool Report(const char* in_what, double in_ms, double in_baselineMs, const char* in_target,
            bool in_holds) {
    std::printf("%-38s %9.3f ms  baseline %9.3f ms  ratio %7.2f  target %s: %s\n", in_what, in_ms,
                in_baselineMs, in_ms / in_baselineMs, in_target, in_holds ? "met" : "MISSED");
    return in_holds;
}

}  // namespace

int main(int argc, char** argv) {
    const int fileCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const fs::path root =
        fs::temp_directory_path() /
        ("quorlin-library-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
    struct Cleanup {
        fs::path path;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } cleanup{root};

    std::printf("Generating a library of %d bank files in %s\n", fileCount, root.c_str());
    Numbers numbers;
    CNullBankView view;
    CSysExData fetched(&view);
    size_t namedInFetched = 0;
    for (int f = 0; f < fileCount; ++f) {
        const fs::path folder = root / ("set" + std::to_string(f % 100));
        fs::create_directories(folder);
        CSysExData bank(&view);
        FillBank(bank, numbers, f);
        std::ofstream(folder / ("bank" + std::to_string(f) + ".m80"), std::ios::binary)
            << BankFileBytes(bank);
        if (f == fileCount / 2) {
            // The instrument gives back the bytes of this bank, without its names.
            for (int i = 0; i < BANK_SIZE; ++i) {
                fetched.GetPatch(i)->SetData(bank.GetPatch(i)->GetData());
                fetched.GetTone(i)->SetData(bank.GetTone(i)->GetData());
                namedInFetched += !IsPlaceholderName(bank.GetPatch(i)->GetName());
                namedInFetched += !IsPlaceholderName(bank.GetTone(i)->GetName());
            }
        }
    }

    bool allMet = true;
    size_t rawBytes = 0;
    const double rawMs = Best(3, [&]() { rawBytes = ReadRaw(root); });
    std::shared_ptr<const CLibraryIndex> index;
    double indexMs = 1e300;
    for (int run = 0; run < 3; ++run) {
        index.reset();
        const Clock::time_point start = Clock::now();
        index = std::make_shared<const CLibraryIndex>(CLibraryIndex::Build(root.u8string()));
        indexMs = std::min(indexMs, Ms(start));
    }
    std::printf("%zu bytes, %zu files, %zu named entries\n", rawBytes, index->Files().size(),
                index->Entries().size());
    allMet &= Report("indexing vs reading raw", indexMs, rawMs, "ratio <= 3", indexMs <= 3 * rawMs);

    constexpr int kLookups = 200;
    LibraryNaming naming;
    const double lookupMs = Best(3,
                                 [&]() {
                                     for (int i = 0; i < kLookups; ++i) {
                                         naming = NamesFromLibrary(fetched, *index);
                                     }
                                 }) /
                            kLookups;
    // Baseline: one pass over the same bank that compares it with itself.
    const double compareMs = Best(3,
                                  [&]() {
                                      for (int i = 0; i < kLookups; ++i) {
                                          (void)CompareBanks(fetched, fetched);
                                      }
                                  }) /
                             kLookups;
    std::printf("the lookup named %d patches and %d tones\n", naming.patches, naming.tones);
    allMet &= Report("name lookup of a whole bank", lookupMs, compareMs, "< 10 ms",
                     lookupMs < 10 && naming.names.size() == namedInFetched);

    // The 50 nearest to a tone and to a patch of the fetched bank, each found again
    // among them as a copy; against the time the index took to read.
    double similarMs = 0;
    bool copiesFound = true;
    for (EntryKind kind : {EntryKind::Tone, EntryKind::Patch}) {
        // An entry the library has a name for, so it holds its copy.
        int entry = 0;
        for (const LibraryName& named : naming.names) {
            if (named.kind == kind) {
                entry = named.index;
                break;
            }
        }
        const int8_t* bytes = kind == EntryKind::Tone ? fetched.GetTone(entry)->GetData()
                                                      : fetched.GetPatch(entry)->GetData();
        std::vector<SimilarEntry> similar;
        similarMs =
            std::max(similarMs, Best(3, [&]() { similar = index->FindSimilar(kind, bytes, 50); }));
        copiesFound &= !similar.empty() && similar.front().copy;
    }
    allMet &= Report("find similar (slower of tone, patch)", similarMs, indexMs, "< 100 ms",
                     similarMs < 100 && copiesFound);

    // One keystroke after another of "brass 12", and a fresh start after deleting it all.
    const std::string typed = "brass 12";
    double worstKeyMs = 0;
    size_t kept = 0;
#ifdef QUORLIN_BENCH_GUI
    // In the Library panel: the filter, the model's reset and the list laid out again.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    CLibraryPanel panel;
    panel.resize(400, 600);
    panel.show();
    panel.SetIndex(index, QString::fromStdString(root.u8string()));
    QApplication::processEvents();
    const auto key = [&](const std::string& in_text) {
        panel.GetFilterEdit()->setText(QString::fromStdString(in_text));
        QApplication::processEvents();
    };
    const char* where = "in the Library panel";
#else
    CLibraryFilter filter(index);
    const auto key = [&](const std::string& in_text) { filter.Filter(in_text); };
    const char* where = "in the filter alone (no desktop program built)";
#endif
    for (int round = 0; round < 2; ++round) {
        key("");
        for (size_t n = 1; n <= typed.size(); ++n) {
            const Clock::time_point start = Clock::now();
            key(typed.substr(0, n));
            worstKeyMs = std::max(worstKeyMs, Ms(start));
        }
    }
#ifdef QUORLIN_BENCH_GUI
    kept = static_cast<size_t>(panel.GetModel()->rowCount());
#else
    kept = filter.Rows().size();
#endif
    // Baseline: one plain scan of every name for the first letter.
    std::vector<std::string> names;
    for (const LibraryEntry& each : index->Entries()) {
        names.push_back(index->Name(each));
    }
    size_t found = 0;
    const double scanMs = Best(3, [&]() {
        found = 0;
        for (const std::string& name : names) {
            found += name.find('b') != std::string::npos;
        }
    });
    std::printf("the filter keeps %zu of %zu entries for \"%s\", typed %s\n", kept, names.size(),
                typed.c_str(), where);
    allMet &= Report("filter keystroke (worst)", worstKeyMs, scanMs, "< 50 ms", worstKeyMs < 50);
    return allMet ? 0 : 1;
}
