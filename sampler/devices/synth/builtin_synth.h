// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The built-in instrument behind the "MIDI Mapper" entry: a FluidSynth
// synthesizer with the system's General MIDI SoundFont (or one the user
// chose), no sound card needed.
//
// Its audio is rendered in step with the run's clock: every MIDI message first
// renders the audio up to ClockPort::Now(), then takes effect, so a take holds
// exactly what a listener would have heard, sample-accurately and the same on
// every run. Dry and deterministic: no reverb, no chorus, no dither.
// Used on the thread that runs the sampling only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devices/synth/soundfont_locator.h"
#include "devices/takes/recorded_take.h"
#include "engine/ports.h"

namespace ntr {

// Why the synthesizer could not start (MIDI_MOD turns each into its own code).
enum class SynthFailure { NoSoundFont, SoundFontUnreadable, SynthesizerFailed };

class SynthStartError : public DeviceError {
 public:
  SynthStartError(SynthFailure cause, const std::string& message) : DeviceError(message), cause_(cause) {}
  SynthFailure Cause() const { return cause_; }

 private:
  SynthFailure cause_;
};

// The built-in synthesizer renders takes of lower rates at this rate; the
// recorder converts them.
inline constexpr int kLowestRenderRate = 44100;

struct SynthOptions {
  int sampleRate = 44100;
  // Single notes at velocity 127 peak at about -12 to -7 dBFS (TimGM6mb):
  // loud, with headroom.
  double gain = 1.0;
  std::vector<std::string> soundFontCandidates = DefaultSoundFontCandidates();
  // Between takes the synthesizer keeps time by rendering and discarding; a
  // longer gap (a suspended run) is skipped beyond this, all voices long silent.
  double longestCatchUpSeconds = 5.0;
};

class BuiltInSynth {
 public:
  explicit BuiltInSynth(ClockPort& clock, SynthOptions options = {});
  ~BuiltInSynth();
  BuiltInSynth(const BuiltInSynth&) = delete;
  BuiltInSynth& operator=(const BuiltInSynth&) = delete;

  // Starts a fresh synthesizer with the SoundFont (found on the first open):
  // every run begins in the General MIDI power-on state (program 0, drums on
  // channel 10) and plays the same samples for the same messages. Throws
  // SynthStartError.
  void Open();
  // The SoundFont of the next open ("" for the system's General MIDI one,
  // found as before). A file that is missing or that FluidSynth cannot load
  // makes that open fail with SoundFontUnreadable, naming the file.
  void UseSoundFont(const std::string& path);
  // The rate the next open renders at: the run's rate, never below
  // kLowestRenderRate (lower rates are converted from it, as they always
  // were). Rates outside what FluidSynth renders are ignored.
  void UseSampleRate(int samplesPerSec);
  // Silences every voice and ends a take in progress.
  void Close();
  bool IsOpen() const { return open_; }

  // One short message in the layout of engine/midi_messages.h; note on,
  // note off and program change take effect, other messages are ignored.
  // Ignored while closed.
  void Apply(uint32_t message);

  // The take begins now (what was rendered before is dropped). Throws
  // DeviceError when the synthesizer is not open.
  void BeginTake();
  // Renders up to now and hands over the take (empty when none was begun).
  RecordedTake EndTake();
  void AbandonTake();

  int SampleRate() const { return options_.sampleRate; }
  // Renders frames straight away, outside the clock (offline use, benchmarks).
  // Needs an open synthesizer.
  void Render(std::size_t frames, float* interleavedStereo);

 private:
  struct Fluid;
  void Load();
  void AdvanceTo(double now);
  void RenderFrames(int64_t frames);  // into the take, or dropped between takes
  int64_t FrameAt(double now) const;

  ClockPort& clock_;
  SynthOptions options_;
  std::unique_ptr<Fluid> fluid_;
  std::string soundFontPath_;
  bool open_ = false;
  std::string chosenSoundFont_;  // "" for the General MIDI one
  double origin_ = 0.0;        // clock time of frame 0
  double takeStart_ = 0.0;     // clock time the take began
  int64_t renderedFrames_ = 0;  // frames FluidSynth rendered since the open
  int64_t lead_ = 0;            // renderedFrames_'s frame of the clock's time origin_
  bool taking_ = false;
  std::vector<float> take_;
  std::vector<float> scratch_;
};

}  // namespace ntr
