// What the instrument announces, as the link hands it over: the input is cut into
// messages after each F7, and the first byte picks the device byte followed. Whatever
// comes, the sound followed holds only valid values.
#include <cstddef>
#include <cstdint>

#include "mks80/SoundTracker.h"

namespace {

bool Valid(mks80::Kind in_kind, const int8_t* in_bytes, mks80::Half in_half) {
    for (const mks80::Parameter& param : mks80::ParametersOf(in_kind)) {
        if (!mks80::IsValidStored(param, mks80::StoredValue(param, in_bytes, in_half)) ||
            mks80::HasUnusedBitsSet(in_kind, param, in_bytes, in_half)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    mks80::SoundTracker tracker(data[0]);
    size_t start = 1;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] != mks80::SYSEX_END) {
            continue;
        }
        (void)tracker.Take(data + start, i + 1 - start);
        start = i + 1;
        const mks80::CurrentSound& sound = tracker.Sound();
        if (!Valid(mks80::Kind::Tone, sound.upperTone.data(), mks80::Half::Upper) ||
            !Valid(mks80::Kind::Tone, sound.lowerTone.data(), mks80::Half::Upper) ||
            !Valid(mks80::Kind::Patch, sound.patch.data(), mks80::Half::Upper) ||
            !Valid(mks80::Kind::Patch, sound.patch.data(), mks80::Half::Lower)) {
            __builtin_trap();
        }
    }
    return 0;
}
