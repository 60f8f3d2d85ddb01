#include "app/ProgramMidiService.h"

#include <vector>

#include "app/DeferredMidiService.h"
#include "midi/CombinedMidiService.h"
#include "midi/Mks80Engine.h"
#include "midi/VirtualMks80.h"
#if defined(QUORLIN_HAVE_RTMIDI) && __has_include("midi/RtMidiService.h")
#include "midi/RtMidiService.h"
#define QUORLIN_WITH_RTMIDI 1
#endif

namespace {
// The combined service does not own its parts; this one does.
class OwningCombinedService : public CombinedMidiService {
  public:
    explicit OwningCombinedService(std::vector<std::unique_ptr<MidiService>> in_parts)
        : CombinedMidiService(Pointers(in_parts)), m_Parts(std::move(in_parts)) {}

  private:
    static std::vector<MidiService*> Pointers(
        const std::vector<std::unique_ptr<MidiService>>& in_parts) {
        std::vector<MidiService*> pointers;
        for (const auto& part : in_parts) {
            pointers.push_back(part.get());
        }
        return pointers;
    }
    std::vector<std::unique_ptr<MidiService>> m_Parts;
};
}  // namespace

std::unique_ptr<MidiService> MakeProgramMidiService(const std::string& in_virtualMemoryPath) {
    return std::make_unique<DeferredMidiService>(
        [in_virtualMemoryPath]() -> std::unique_ptr<MidiService> {
            std::vector<std::unique_ptr<MidiService>> parts;
#ifdef QUORLIN_WITH_RTMIDI
            parts.push_back(std::make_unique<RtMidiService>());
#endif
            parts.push_back(std::make_unique<VirtualMks80>(Mks80Options{}, in_virtualMemoryPath));
            return std::make_unique<OwningCombinedService>(std::move(parts));
        });
}
