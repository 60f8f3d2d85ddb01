#include "mks80/NewSounds.h"

#include <algorithm>
#include <cmath>

namespace mks80 {

namespace {

// One value of an entry: a parameter in one half (a tone has only the upper).
struct Slot {
    const Parameter* param;
    Half half;
};

std::vector<Slot> MakeSlots(Kind in_kind) {
    std::vector<Slot> slots;
    const std::vector<Parameter>& params = ParametersOf(in_kind);
    for (const Parameter& param : params) {
        if (in_kind == Kind::Tone || param.shared) {
            slots.push_back({&param, Half::Upper});
        }
    }
    if (in_kind == Kind::Patch) {
        for (Half half : {Half::Upper, Half::Lower}) {
            for (const Parameter& param : params) {
                if (!param.shared) {
                    slots.push_back({&param, half});
                }
            }
        }
    }
    return slots;
}

// What Make gives for each kind, made the first time it is asked for and kept.
template <typename Table, Table (*Make)(Kind)>
const Table& MadeOnce(Kind in_kind) {
    static const Table tone = Make(Kind::Tone);
    static const Table patch = Make(Kind::Patch);
    return in_kind == Kind::Tone ? tone : patch;
}

const std::vector<Slot>& SlotsOf(Kind in_kind) {
    return MadeOnce<std::vector<Slot>, MakeSlots>(in_kind);
}

// A table with a row for each value of in_kind: in_fill(table, i, slot) fills row i.
template <typename Table, typename Fill>
Table PerValue(Kind in_kind, Fill in_fill) {
    Table table;
    const std::vector<Slot>& slots = SlotsOf(in_kind);
    table.count = static_cast<int>(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        in_fill(table, i, slots[i]);
    }
    return table;
}

bool IsToneNumber(const Slot& in_slot) {
    return in_slot.param->kind == Kind::Patch && in_slot.param->number == PATCH_TONE_PARAMETER;
}

int ValidValue(const Slot& in_slot, const int8_t* in_bytes) {
    return ValidStored(*in_slot.param, StoredValue(*in_slot.param, in_bytes, in_slot.half));
}

int Percent(int in_percent) {
    return std::clamp(in_percent, 0, 100);
}

// Where each value of ReadValues lives, for reading a great many entries quickly: its
// byte, the field's lowest bit and width, and its largest valid value (a stored value
// is never negative, so the nearest valid one is at most that).
struct ValueLayout {
    int count = 0;
    std::array<uint8_t, MAX_VALUES> byte{};
    std::array<uint8_t, MAX_VALUES> shift{};
    std::array<uint8_t, MAX_VALUES> mask{};
    std::array<uint8_t, MAX_VALUES> top{};
};

ValueLayout MakeLayout(Kind in_kind) {
    return PerValue<ValueLayout>(
        in_kind, [](ValueLayout& io_layout, size_t i, const Slot& in_slot) {
            const Parameter& param = *in_slot.param;
            io_layout.byte[i] = static_cast<uint8_t>(param.ByteIn(in_slot.half));
            io_layout.shift[i] = static_cast<uint8_t>(param.bitCount >= 8 ? 0 : param.firstBit);
            io_layout.mask[i] =
                static_cast<uint8_t>(param.bitCount >= 8 ? 0xFF : (1 << param.bitCount) - 1);
            io_layout.top[i] = static_cast<uint8_t>(param.steps - 1);
        });
}

DistanceWeights MakeWeights(Kind in_kind) {
    return PerValue<DistanceWeights>(
        in_kind, [](DistanceWeights& io_weights, size_t i, const Slot& in_slot) {
            const Parameter& param = *in_slot.param;
            if (param.IsContinuous() && !IsToneNumber(in_slot)) {
                io_weights.cap[i] = 255;
                io_weights.scale[i] = 1.0f / float(param.steps - 1);
            } else {
                io_weights.cap[i] = 1;
                io_weights.scale[i] = 1.0f;
            }
        });
}

}  // namespace

int ByteCount(Kind in_kind) {
    return in_kind == Kind::Tone ? TONE_BYTES : PATCH_BYTES;
}

std::vector<int8_t> Blend(Kind in_kind, const int8_t* in_first, const int8_t* in_other,
                          int in_percent) {
    const int percent = Percent(in_percent);
    // Starting from zeros clears the bits no parameter uses.
    std::vector<int8_t> out(static_cast<size_t>(ByteCount(in_kind)), 0);
    for (const Slot& slot : SlotsOf(in_kind)) {
        const int first = ValidValue(slot, in_first);
        const int other = ValidValue(slot, in_other);
        int value = first;
        // A patch's tone numbers stay its own: it goes on playing its tones.
        if (IsToneNumber(slot)) {
            SetStoredValue(*slot.param, first, out.data(), slot.half);
            continue;
        }
        if (slot.param->IsContinuous()) {
            value = (first * (100 - percent) + other * percent + 50) / 100;
        } else if (percent >= 50) {
            value = other;
        }
        SetStoredValue(*slot.param, value, out.data(), slot.half);
    }
    return out;
}

uint32_t DrawBelow(std::mt19937& io_random, uint32_t in_count) {
    if (in_count <= 1) {
        return 0;
    }
    // The engine gives every 32-bit number alike; the numbers above the last whole
    // multiple of in_count are drawn again, so each result is equally likely.
    constexpr uint64_t kSpan = uint64_t(1) << 32;
    const uint64_t limit = kSpan - kSpan % in_count;
    uint64_t drawn = 0;
    do {
        drawn = static_cast<uint64_t>(io_random()) & 0xFFFFFFFFu;
    } while (drawn >= limit);
    return static_cast<uint32_t>(drawn % in_count);
}

std::vector<int8_t> Mutate(Kind in_kind, const int8_t* in_bytes, int in_percent,
                           std::mt19937& io_random) {
    const int percent = Percent(in_percent);
    std::vector<int8_t> out(static_cast<size_t>(ByteCount(in_kind)), 0);
    for (const Slot& slot : SlotsOf(in_kind)) {
        const Parameter& param = *slot.param;
        int value = ValidValue(slot, in_bytes);
        if (IsToneNumber(slot)) {
            SetStoredValue(param, value, out.data(), slot.half);
            continue;
        }
        if (param.IsContinuous()) {
            const int top = param.steps - 1;
            const int most = (top * percent + 50) / 100;
            const int move = static_cast<int>(DrawBelow(io_random, uint32_t(2 * most + 1))) - most;
            value = std::clamp(value + move, 0, top);
        } else if (static_cast<int>(DrawBelow(io_random, 200)) < percent) {
            const int other = static_cast<int>(DrawBelow(io_random, uint32_t(param.steps - 1)));
            value = other >= value ? other + 1 : other;
        }
        SetStoredValue(param, value, out.data(), slot.half);
    }
    return out;
}

int ValueCount(Kind in_kind) {
    return static_cast<int>(SlotsOf(in_kind).size());
}

void ReadValues(Kind in_kind, const int8_t* in_bytes, uint8_t* out_values) {
    // The library reads every entry of thousands of banks this way while it indexes.
    const ValueLayout& layout = MadeOnce<ValueLayout, MakeLayout>(in_kind);
    for (int i = 0; i < layout.count; ++i) {
        const auto at = size_t(i);
        const int stored =
            (uint8_t(in_bytes[layout.byte[at]]) >> layout.shift[at]) & layout.mask[at];
        out_values[at] = static_cast<uint8_t>(stored > layout.top[at] ? layout.top[at] : stored);
    }
}

const DistanceWeights& WeightsOf(Kind in_kind) {
    return MadeOnce<DistanceWeights, MakeWeights>(in_kind);
}

float Distance(Kind in_kind, const int8_t* in_a, const int8_t* in_b) {
    std::array<uint8_t, MAX_VALUES> a{};
    std::array<uint8_t, MAX_VALUES> b{};
    ReadValues(in_kind, in_a, a.data());
    ReadValues(in_kind, in_b, b.data());
    return ValueDistance(WeightsOf(in_kind), a.data(), b.data());
}

std::string DistanceText(float in_distance) {
    // In hundredths: the smallest step of any value is more than one of them, so only
    // a distance of none reads "0".
    const long hundredths = std::lround(double(in_distance) * 100.0);
    std::string text = std::to_string(hundredths / 100);
    const long rest = hundredths % 100;
    if (rest != 0) {
        text += '.';
        text += static_cast<char>('0' + rest / 10);
        if (rest % 10 != 0) {
            text += static_cast<char>('0' + rest % 10);
        }
    }
    return text;
}

}  // namespace mks80
