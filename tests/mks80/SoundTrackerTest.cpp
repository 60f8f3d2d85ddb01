#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mks80/SoundTracker.h"

using namespace mks80;
using Bytes = std::vector<uint8_t>;

namespace {

// Valid bytes that differ from one parameter to the next, so a value put in the
// wrong place shows.
template <size_t N>
std::array<int8_t, N> Sound(Kind in_kind, int in_seed) {
    std::array<int8_t, N> bytes{};
    for (const Parameter& param : ParametersOf(in_kind)) {
        const int stored = (param.number * 7 + in_seed) % param.steps;
        SetStoredValue(param, stored, bytes.data(), Half::Upper);
        if (in_kind == Kind::Patch && !param.shared) {
            SetStoredValue(param, (stored + 1) % param.steps, bytes.data(), Half::Lower);
        }
    }
    return bytes;
}

struct Announcement {
    std::array<int8_t, PATCH_BYTES> patch = Sound<PATCH_BYTES>(Kind::Patch, 3);
    std::array<int8_t, TONE_BYTES> upper = Sound<TONE_BYTES>(Kind::Tone, 1);
    std::array<int8_t, TONE_BYTES> lower = Sound<TONE_BYTES>(Kind::Tone, 2);
    std::vector<Bytes> Messages(uint8_t in_device, int in_program) const {
        std::vector<Bytes> messages{Pgr(in_device, in_program)};
        for (Bytes& apr : PatchSound(in_device, patch.data(), upper.data(), lower.data())) {
            messages.push_back(std::move(apr));
        }
        return messages;
    }
};

SoundTracker::Outcome Feed(SoundTracker& io_tracker, const Bytes& in_message) {
    return io_tracker.Take(in_message.data(), in_message.size());
}

}  // namespace

TEST(SoundTracker, AnnouncementSetsTheSoundAndIprsEditIt) {
    SoundTracker tracker(0x04);
    const Announcement sound;
    const std::vector<Bytes> messages = sound.Messages(0x04, 2 * 8 + 3);
    for (size_t i = 0; i + 1 < messages.size(); ++i) {
        EXPECT_EQ(Feed(tracker, messages[i]), SoundTracker::Outcome::Held);
        EXPECT_FALSE(tracker.IsKnown());
    }
    EXPECT_EQ(Feed(tracker, messages.back()), SoundTracker::Outcome::Announced);
    EXPECT_EQ(tracker.Program(), 19);
    EXPECT_EQ(tracker.StatusText(), "MKS-80: patch 34");
    EXPECT_EQ(tracker.Sound().patch, sound.patch);
    EXPECT_EQ(tracker.Sound().upperTone, sound.upper);
    EXPECT_EQ(tracker.Sound().lowerTone, sound.lower);

    // VCF cutoff of the lower tone, sent above 100: taken as 100, nothing else moves.
    EXPECT_EQ(Feed(tracker, Ipr(0x04, Kind::Tone, Half::Lower, {{24, 127}})),
              SoundTracker::Outcome::Edited);
    const Parameter& cutoff = *FindParameter(Kind::Tone, 24);
    EXPECT_EQ(StoredValue(cutoff, tracker.Sound().lowerTone.data()), 100);
    std::array<int8_t, TONE_BYTES> expected = sound.lower;
    SetStoredValue(cutoff, 100, expected.data());
    EXPECT_EQ(tracker.Sound().lowerTone, expected);
    EXPECT_EQ(tracker.Sound().upperTone, sound.upper);
    EXPECT_EQ(tracker.StatusText(), "MKS-80: patch 34, edited");
}

TEST(SoundTracker, PartialAnnouncementWaitsAndTheNextProgramReplacesIt) {
    SoundTracker tracker;
    Announcement first;
    Announcement second;
    second.upper = Sound<TONE_BYTES>(Kind::Tone, 9);
    const std::vector<Bytes> a = first.Messages(0, 0);
    const std::vector<Bytes> b = second.Messages(0, 63);
    Feed(tracker, a[0]);
    Feed(tracker, a[1]);
    Feed(tracker, a[3]);
    for (const Bytes& message : b) {
        Feed(tracker, message);
    }
    ASSERT_TRUE(tracker.IsKnown());
    EXPECT_EQ(tracker.StatusText(), "MKS-80: patch 88");
    EXPECT_EQ(tracker.Sound().upperTone, second.upper);

    // The parts may come in any order; a part that came twice counts once.
    Feed(tracker, a[0]);
    for (int i : {4, 2, 2, 3}) {
        EXPECT_EQ(Feed(tracker, a[static_cast<size_t>(i)]), SoundTracker::Outcome::Held);
    }
    EXPECT_EQ(tracker.Program(), 63);
    EXPECT_EQ(Feed(tracker, a[1]), SoundTracker::Outcome::Announced);
    EXPECT_EQ(tracker.Program(), 0);
}

TEST(SoundTracker, ForeignAndMalformedMessagesChangeNothing) {
    SoundTracker tracker(0x00);
    const Announcement sound;
    const std::vector<Bytes> messages = sound.Messages(0, 5);
    for (const Bytes& message : messages) {
        Feed(tracker, message);
    }
    ASSERT_TRUE(tracker.IsKnown());
    const CurrentSound before = tracker.Sound();

    Bytes cut = messages[3];
    cut.erase(cut.begin() + 10);
    Bytes badLevel = Ipr(0, Kind::Tone, Half::Upper, {{24, 10}});
    badLevel[5] = 0x40;
    Bytes otherMaker = Ipr(0, Kind::Tone, Half::Upper, {{24, 10}});
    otherMaker[1] = 0x43;
    const std::vector<Bytes> foreign = {
        cut,
        badLevel,
        otherMaker,
        Ipr(0x01, Kind::Tone, Half::Upper, {{24, 10}}),  // another channel
        {0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7},            // a handshake ACK
        messages[1],                                     // an APR outside an announcement
        {0x90, 60, 100},
    };
    std::string why;
    for (const Bytes& message : foreign) {
        why.clear();
        EXPECT_EQ(tracker.Take(message.data(), message.size(), &why),
                  SoundTracker::Outcome::Ignored);
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(tracker.Sound().patch, before.patch);
    EXPECT_EQ(tracker.Sound().upperTone, before.upperTone);
    EXPECT_FALSE(tracker.IsEdited());

    SoundTracker fresh;
    EXPECT_EQ(Feed(fresh, Ipr(0, Kind::Tone, Half::Upper, {{24, 10}})),
              SoundTracker::Outcome::Ignored);
    EXPECT_EQ(fresh.StatusText(), "");
}
