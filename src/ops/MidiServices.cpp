#include "ops/MidiServices.h"

#include <vector>

#include "midi/CombinedMidiService.h"
#include "midi/Mks80Engine.h"
#include "midi/VirtualMks80.h"
#if defined(QUORLIN_HAVE_RTMIDI) && __has_include("midi/RtMidiService.h")
#include "midi/RtMidiService.h"
#define QUORLIN_OPS_REAL_PORTS 1
#endif

namespace ops {

std::unique_ptr<MidiService> MakeMidiService(const MidiServiceSetup& in_setup) {
    return std::make_unique<CombinedMidiService>([in_setup]() {
        std::vector<std::unique_ptr<MidiService>> parts;
#ifdef QUORLIN_OPS_REAL_PORTS
        parts.push_back(std::make_unique<RtMidiService>());
#endif
        Mks80Options options;
        options.channel = in_setup.virtualChannel;
        parts.push_back(std::make_unique<VirtualMks80>(options, in_setup.virtualMemoryPath));
        return parts;
    });
}

}  // namespace ops
