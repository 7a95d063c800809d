// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pitch of a take: the fundamental of its held part and its offset in
// cents from the key that was played. The estimator is a normalised
// autocorrelation (the squared-difference form): a coarse period from the
// first strong peak, which keeps it off the harmonics and the octave below,
// then refined at ever longer multiples of that period, where a parabola
// through three lags pins it to a small fraction of a cent. Plain C++, any
// thread; the finishing pass and the instrument check call it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ntr {

struct TakeSamples;

// The fundamental (Hz) of mono samples whose pitch lies between loHz and
// hiHz; nullopt when they hold no steady pitch there (noise, a drum, too
// short for three periods of loHz).
std::optional<double> FundamentalHz(const std::vector<float>& samples, int sampleRate, double loHz, double hiHz);

// The equal-tempered frequency of a MIDI note at A = 440 Hz.
double NoteHz(double note);

// The fundamental of mono samples expected near `note`, in cents from it:
// searched over an octave and a whole tone either side, so a transposed patch
// or a wrong note still reads as what it is. nullopt: no steady pitch.
std::optional<double> CentsFromNote(const std::vector<float>& samples, int sampleRate, int note);

// The part of a take that is held: from just after its attack (20 ms after it
// first comes within 6 dB of its loudest) for as long as it stays within 30 dB
// of that (at most a second), the channels mixed to one.
std::vector<float> HeldPart(const TakeSamples& take);

// A take this far or more off its key is taken for a wrong note rather than
// a tuning: warned about, never corrected.
inline constexpr double kWrongNoteCents = 50.0;

// A pitch as the sampler chunk ("smpl") holds it: a unity note and the
// fraction of a semitone above it (the bit pattern of an unsigned 32-bit
// fraction). A flat take is the note below and most of a semitone.
struct SmplPitch {
  int unityNote = 60;
  std::int32_t fraction = 0;
};
SmplPitch SmplPitchOf(int note, double cents);

// The key nearest a sampler chunk's pitch and the cents the sample lies off it (-50..50).
struct KeyPitch {
  int key = 60;
  double cents = 0.0;
};
KeyPitch KeyPitchOf(int unityNote, std::int32_t fraction);

}  // namespace ntr
