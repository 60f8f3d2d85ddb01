// quorlin-cli: the bank core from the command line, for scripted backups and conversions.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/SelectionData.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "cli/LibraryCommands.h"
#include "cli/LiveCommands.h"
#include "cli/ParameterCommands.h"
#include "cli/SoundCommands.h"
#include "cli/TransferCommands.h"
#include "ops/FileOps.h"
#include "platform/CommandLine.h"

namespace {

const char* const kHelp =
    "Usage: quorlin-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  new FILE.m80                     write a new bank, every entry at its defaults\n"
    "  list FILE [--force]              64 lines, one per entry: number, TAB, patch name, TAB,\n"
    "                                   tone name; in names a backslash is written \\\\, a TAB\n"
    "                                   \\t, a line feed \\n and other bytes below 20H and 7FH\n"
    "                                   as \\xNN\n"
    "  show FILE NUMBER patch|tone [--params] [--force]\n"
    "                                   the parameter bytes of entry NUMBER (11 to 88); with\n"
    "                                   --params one line per parameter (see below)\n"
    "  set FILE NUMBER patch|tone SETTING... [-o OUT.m80] [--partial] [--force]\n"
    "                                   change parameters of entry NUMBER and write the bank\n"
    "                                   to OUT, or to FILE itself; every other byte and every\n"
    "                                   name is kept. SETTING is P=V for a tone, upper:P=V or\n"
    "                                   lower:P=V for a patch: P a parameter number, V a value\n"
    "                                   as show --params prints it\n"
    "  convert IN OUT [--channel N] [--partial] [--force]\n"
    "                                   write the bank of IN as OUT: a bank file when OUT ends in\n"
    "                                   .m80, a recorded dump for MIDI channel N (default 1) when\n"
    "                                   it ends in .syx, the same dump as a Standard MIDI File\n"
    "                                   (format 0) when it ends in .mid\n"
    "  ports                            the MIDI devices: in|out, TAB, id, TAB, name\n"
    "  get --in DEV --out DEV [--channel N] [--delay MS] -o FILE.m80\n"
    "                                   fetch the instrument's memory into a new bank file\n"
    "  send FILE --in DEV --out DEV [--channel N] [--delay MS] [--partial] [--force]\n"
    "                                   send the bank of FILE into the instrument\n"
    "  verify FILE --in DEV --out DEV [--channel N] [--delay MS]\n"
    "                                   fetch the instrument's memory and compare its parameter\n"
    "                                   bytes with FILE's: one differs line per entry\n"
    "  diff A B                         one line per entry that differs between banks A and B\n"
    "  name FILE --library DIR [-o OUT.m80]\n"
    "                                   give the unnamed entries of FILE the names of entries\n"
    "                                   with the same bytes in the bank files (.m80) of DIR and\n"
    "                                   its subfolders, the most recently modified file first;\n"
    "                                   writes OUT, or FILE itself when a name changed\n"
    "  blend FILE NUMBER tone|patch OTHER OTHER-NUMBER PERCENT [-o OUT.m80]\n"
    "                                   entry NUMBER of FILE becomes its blend with entry\n"
    "                                   OTHER-NUMBER of OTHER: each level PERCENT (0 to 100) of\n"
    "                                   the way to the other's, rounded; each switch the other's\n"
    "                                   from 50 on; a patch keeps its tone numbers\n"
    "  mutate FILE NUMBER tone|patch PERCENT [--seed N] [-o OUT.m80]\n"
    "                                   vary entry NUMBER at random: each level by at most\n"
    "                                   PERCENT of its range, each switch with a chance of half\n"
    "                                   PERCENT; the same seed N (0 to 4294967295) gives the\n"
    "                                   same result; without one a new seed is said on stderr\n"
    "  similar FILE NUMBER tone|patch --library DIR [--count N]\n"
    "                                   the N (default 50) entries of that kind in the bank\n"
    "                                   files of DIR and its subfolders nearest to entry NUMBER\n"
    "                                   of FILE, nearest first (see the user guide for the\n"
    "                                   distance)\n"
    "  audition FILE NUMBER patch|tone --out DEV [--channel N] [--force]\n"
    "                                   play entry NUMBER on the MKS-80 as the desktop program\n"
    "                                   does on selecting it: a patch as the APRs of its upper\n"
    "                                   and lower half and of the upper and lower tone it names,\n"
    "                                   a tone as both the upper and the lower tone. Only the\n"
    "                                   sound it plays now changes, never its memory\n"
    "  take FILE NUMBER --in DEV [--channel N] [--wait SECONDS] [-o OUT.m80]\n"
    "                                   wait up to SECONDS (default 60) for the MKS-80 to\n"
    "                                   announce the patch selected on it, and keep it: the\n"
    "                                   patch into entry NUMBER, its two tones into the tones\n"
    "                                   the patch names, OVERWRITING those tones of the bank;\n"
    "                                   writes OUT, or FILE itself (a bank file, .m80), and\n"
    "                                   says on stdout what it took. Anything else that comes\n"
    "                                   in is let go; nothing announced in time writes nothing\n"
    "\n"
    "DEV is a device id or name from quorlin-cli ports: the exact name, or a part of\n"
    "one that no other device of that kind has. Ids change as MIDI clients come and go.\n"
    "\n"
    "FILE may be a bank file (.m80), a recorded dump (.syx) or a Standard MIDI File (.mid)\n"
    "carrying one, told apart by content: a dump starts with F0H 41H, a MIDI file with MThd.\n"
    "A dump that is not all 16 intact data blocks is named on stderr; convert and send\n"
    "refuse it unless given --partial, which takes only the entries the file held: convert\n"
    "leaves the others at their defaults; send and verify first fetch the MKS-80's memory,\n"
    "so that send changes and verify checks only the entries the file held intact.\n"
    "A bank file with parameter bytes of 80H or more, which\n"
    "no MKS-80 sends, or with bytes after its 64th entry is refused unless given --force;\n"
    "send refuses such a bank in any case, as MIDI cannot carry those bytes.\n"
    "The transfer delay defaults to 300 ms, the channel to 1.\n"
    "\n"
    "show --params writes one line per parameter, fields separated by TAB:\n"
    "  GROUP NUMBER NAME VALUE TEXT\n"
    "GROUP is tone for a tone's 48 parameters, upper then lower for a patch's 2 x 15 (key\n"
    "mode, split point and balance, 0 to 2, belong to both halves); NUMBER is the MKS-80's\n"
    "parameter number, VALUE the value its messages carry (VCO-1 range 36 to 84, split point\n"
    "21 to 108), TEXT the value as the desktop program shows it (\"C4\", \"Triangle\"). A\n"
    "stored value the MKS-80 could not hold prints as stored, its TEXT marked\n"
    "\"(out of range)\" or \"(unused bits set)\". set refuses an unknown parameter or a\n"
    "value outside its range with exit code 1 and writes nothing.\n"
    "\n"
    "diff and verify write one line per differing entry, fields separated by TAB:\n"
    "  differs KIND NUMBER NAME-A NAME-B POS:A>B ...   parameter bytes differ (positions\n"
    "                                                  from 0, values as show prints them)\n"
    "  renamed KIND NUMBER NAME-A NAME-B               same bytes, other names (diff only)\n"
    "KIND is patch or tone, NUMBER 11 to 88; patches come first. Names are escaped as\n"
    "list escapes them. name writes KIND TAB NUMBER TAB NAME for each\n"
    "entry it named, and a summary and the library files it skipped on standard error.\n"
    "blend and mutate keep the entry's name and write OUT, or FILE itself; either must be\n"
    "a bank file (.m80); only valid values come out, whatever the entries held. They take\n"
    "--partial and --force as convert does. similar writes one line per entry, fields\n"
    "separated by TAB: DISTANCE FILE NUMBER NAME, DISTANCE 0 for a copy.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  unknown command or option, missing or bad argument, or an internal error\n"
    "     (a MIDI device that the system refuses to open ends the program this way)\n"
    "  2  an input file is missing, unreadable, not a regular file, neither a bank file nor a\n"
    "     dump, or refused as partial or for bytes of 80H or more\n"
    "  3  a transfer with the MKS-80 failed or arrived damaged; take: nothing was announced\n"
    "     in time; audition: the MIDI output refused the sound\n"
    "  4  the output file or standard output could not be written, or the output file is\n"
    "     read-only\n"
    "  5  diff, verify: the banks hold different parameter bytes (names alone give 0)\n";

int CommandNew(std::vector<std::string> in_args) {
    if (in_args.size() != 1) {
        return UsageError("new takes one file name");
    }
    CNullBankView view;
    CSysExData bank(&view);
    return WriteOutput(in_args[0], BankFileBytes(bank));
}

int CommandList(std::vector<std::string> in_args) {
    InputRules rules;
    rules.force = TakeFlag(in_args, "--force");
    if (in_args.size() != 1) {
        return UsageError("list takes one file name");
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(in_args[0], bank, rules)) {
        return code;
    }
    std::string out;
    for (int i = 0; i < BANK_SIZE; ++i) {
        out += EntryNumber(i) + "\t" + EscapedEntryName(bank.GetPatch(i)->GetName()) + "\t" +
               EscapedEntryName(bank.GetTone(i)->GetName()) + "\n";
    }
    return Print(out);
}

int CommandShow(std::vector<std::string> in_args) {
    InputRules rules;
    rules.force = TakeFlag(in_args, "--force");
    const bool params = TakeFlag(in_args, "--params");
    if (in_args.size() != 3) {
        return UsageError("show takes a file name, an entry number and patch or tone");
    }
    int index = -1;
    bool tone = false;
    if (int code = ParseEntry("show", in_args[1], in_args[2], index, tone); code != kExitOk) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(in_args[0], bank, rules)) {
        return code;
    }
    if (params) {
        return PrintParameters(bank, index, !tone);
    }
    std::string text =
        !tone ? PatchSelectionText(*bank.GetPatch(index)) : ToneSelectionText(*bank.GetTone(index));
    if (!text.empty() && text[0] == '\n') {
        text.erase(0, 1);
    }
    return Print(text + "\n");
}

int CommandConvert(std::vector<std::string> in_args) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = TakeFlag(in_args, "--partial");
    rules.force = TakeFlag(in_args, "--force");
    std::vector<std::string> files;
    int channel = 1;
    for (size_t i = 0; i < in_args.size(); ++i) {
        if (in_args[i] == "--channel") {
            if (i + 1 >= in_args.size() ||
                !platform::ParseWholeNumber(in_args[i + 1], 1, 16, channel)) {
                return UsageError("--channel wants a MIDI channel from 1 to 16");
            }
            ++i;
        } else if (in_args[i].size() > 1 && in_args[i][0] == '-') {
            return UsageError("unknown option " + in_args[i]);
        } else {
            files.push_back(in_args[i]);
        }
    }
    if (files.size() != 2) {
        return UsageError("convert takes an input and an output file name");
    }
    const ops::FileFormat format = ops::FormatOfName(files[1]);
    if (format == ops::FileFormat::Unknown) {
        return UsageError(files[1] + ": the output must end in .m80, .syx or .mid");
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(files[0], bank, rules)) {
        return code;
    }
    return WriteOutput(files[1], ops::FileBytes(bank, format, channel));
}

int Run(std::vector<std::string> args) {
    if (args.empty()) {
        std::fputs(kHelp, stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    using Command = int (*)(std::vector<std::string>);
    static const std::pair<const char*, Command> kCommands[] = {{"new", CommandNew},
                                                                {"list", CommandList},
                                                                {"show", CommandShow},
                                                                {"set", RunSetCommand},
                                                                {"convert", CommandConvert},
                                                                {"ports", RunPortsCommand},
                                                                {"get", RunGetCommand},
                                                                {"send", RunSendCommand},
                                                                {"verify", RunVerifyCommand},
                                                                {"diff", RunDiffCommand},
                                                                {"name", RunNameCommand},
                                                                {"blend", RunBlendCommand},
                                                                {"mutate", RunMutateCommand},
                                                                {"similar", RunSimilarCommand},
                                                                {"audition", RunAuditionCommand},
                                                                {"take", RunTakeCommand}};
    const std::string command = args[0];
    args.erase(args.begin());
    for (const auto& [name, run] : kCommands) {
        if (command == name) {
            return run(std::move(args));
        }
    }
    return UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing may end the tool with an abort: whatever escapes is an internal error.
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        return Fail(kExitUsage, std::string("internal error: ") + error.what());
    }
}
