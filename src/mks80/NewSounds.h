#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "mks80/Parameters.h"

// New sounds from old ones: the blend of two entries, a random variation of one, and
// how far apart two entries sound. All three work on the parameters' stored values (the
// positions of their sliders), each value first made valid, so that whatever a damaged
// entry holds, only valid values come out. The bits of a byte that no parameter uses
// are cleared in what Blend and Mutate make.
namespace mks80 {

// TONE_BYTES or PATCH_BYTES.
int ByteCount(Kind in_kind);

// The mix of in_first with in_other at in_percent (0 to 100, clamped): each continuous
// value the one between at that mix, rounded to the nearest (halves up); each switch
// in_first's below 50 % and in_other's from 50 %. A patch keeps in_first's tone numbers.
std::vector<int8_t> Blend(Kind in_kind, const int8_t* in_first, const int8_t* in_other,
                          int in_percent);

// A number from 0 to in_count - 1 (in_count at least 1) drawn from io_random. The
// standard distributions may differ between standard libraries; this does not, so a
// seed gives the same sound everywhere.
uint32_t DrawBelow(std::mt19937& io_random, uint32_t in_count);

// in_bytes varied by in_percent (0 to 100, clamped): each continuous value moves by a
// whole number drawn evenly from at most in_percent of its range either way, then kept
// inside its range; each switch changes with a chance of in_percent / 200 to one of its
// other values, each as likely. A patch keeps its tone numbers. The draws are taken in
// the order of the parameters, so a seed always gives the same result.
std::vector<int8_t> Mutate(Kind in_kind, const int8_t* in_bytes, int in_percent,
                           std::mt19937& io_random);

// An entry as the list of its valid stored values: a tone's 48 parameters; a patch's
// three shared ones, then the upper half's twelve own, then the lower half's.
constexpr int MAX_VALUES = TONE_PARAMETERS;
int ValueCount(Kind in_kind);
void ReadValues(Kind in_kind, const int8_t* in_bytes, uint8_t* out_values);

// How much one value's difference counts: min(|a - b|, cap) * scale. A continuous value
// counts its difference as a share of its range (a whole sweep counts 1); a switch, and
// a patch's tone number, counts 1 when it differs at all.
struct DistanceWeights {
    int count = 0;
    std::array<uint8_t, MAX_VALUES> cap{};
    std::array<float, MAX_VALUES> scale{};
};
const DistanceWeights& WeightsOf(Kind in_kind);

// The distance of two lists of values from ReadValues. Exactly 0 for equal values.
inline float ValueDistance(const DistanceWeights& in_weights, const uint8_t* in_a,
                           const uint8_t* in_b) {
    float sum = 0;
    for (int i = 0; i < in_weights.count; ++i) {
        int difference = std::abs(int(in_a[i]) - int(in_b[i]));
        if (difference > in_weights.cap[size_t(i)]) {
            difference = in_weights.cap[size_t(i)];
        }
        sum += float(difference) * in_weights.scale[size_t(i)];
    }
    return sum;
}

// ValueDistance, but given up once the sum passes in_bound (the result is then some
// number above in_bound): what a search for the nearest of many entries needs. Below
// the bound the sum is made in the same order, so it is exactly ValueDistance.
inline float ValueDistanceWithin(const DistanceWeights& in_weights, const uint8_t* in_a,
                                 const uint8_t* in_b, float in_bound) {
    constexpr int kBlock = 8;
    float sum = 0;
    for (int start = 0; start < in_weights.count; start += kBlock) {
        const int end = start + kBlock < in_weights.count ? start + kBlock : in_weights.count;
        for (int i = start; i < end; ++i) {
            int difference = std::abs(int(in_a[i]) - int(in_b[i]));
            if (difference > in_weights.cap[size_t(i)]) {
                difference = in_weights.cap[size_t(i)];
            }
            sum += float(difference) * in_weights.scale[size_t(i)];
        }
        if (sum > in_bound) {
            return sum;
        }
    }
    return sum;
}

// How far apart two entries of a kind sound: the sum over their values of
// ValueDistance's terms. 0 for equal bytes.
float Distance(Kind in_kind, const int8_t* in_a, const int8_t* in_b);
// A distance as people read it: "0" for none, else at most two decimals ("0.35", "2").
std::string DistanceText(float in_distance);

}  // namespace mks80
