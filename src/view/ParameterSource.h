#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "mks80/Parameters.h"

// What the Parameters panel shows and edits: the stored bytes of one tone or one patch
// and the way a change of one parameter is written. An entry of a bank window is one
// such source; the instrument's current sound or the preview of a result can be others.
class ParameterSource {
  public:
    virtual ~ParameterSource() = default;

    virtual mks80::Kind GetKind() const = 0;
    // The mks80::TONE_BYTES or PATCH_BYTES stored bytes as they are now.
    virtual std::vector<int8_t> GetBytes() const = 0;
    // What the panel's title names after "Parameters: ", e.g. "Tone 23 Soft Pad".
    virtual QString GetTitle() const = 0;
    // Said in the panel while there are no bytes to show; empty: the panel's own words.
    virtual QString EmptyText() const { return QString(); }
    // Writes the valid stored value in_stored of one parameter. Changes that carry the
    // same in_gesture come from one gesture of the user (a drag, a key held down).
    virtual void Write(const mks80::Parameter& in_param, mks80::Half in_half, int in_stored,
                       int in_gesture) = 0;

    // A patch's tone numbers: the name of tone in_index where the source knows the
    // tones (empty where it does not), and a way to go to that tone.
    virtual QString ToneName(int /*in_index*/) const { return QString(); }
    virtual bool CanSelectTone() const { return false; }
    // Shown only, as the instrument's own sound is: the controls are off.
    virtual bool IsReadOnly() const { return false; }
    virtual void SelectTone(int /*in_index*/) {}
};
