// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/synth/builtin_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "devices/synth/fluid_log.h"
#include "engine/events/midi_messages.h"

namespace ntr {

namespace {

constexpr std::size_t kRenderBlockFrames = 4096;
// FluidSynth renders in blocks of this many frames and lets a MIDI message
// take effect only where a block begins.
constexpr int64_t kFluidBlockFrames = 64;

// The start of the block nearest to a frame (frames count from the open, never below 0).
int64_t NearestBlockStart(int64_t frame) {
  return (frame + kFluidBlockFrames / 2) / kFluidBlockFrames * kFluidBlockFrames;
}

}  // namespace

struct BuiltInSynth::Fluid {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;

  ~Fluid() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

BuiltInSynth::BuiltInSynth(ClockPort& clock, SynthOptions options) : clock_(clock), options_(std::move(options)) {}

BuiltInSynth::~BuiltInSynth() = default;

void BuiltInSynth::Load() {
  if (soundFontPath_.empty() && !chosenSoundFont_.empty()) {
    const std::filesystem::path file(std::u8string(chosenSoundFont_.begin(), chosenSoundFont_.end()));
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
      throw SynthStartError(SynthFailure::SoundFontUnreadable,
                            "The SoundFont " + chosenSoundFont_ +
                                " chosen for the built-in synthesizer is not there (no such file)");
    }
    soundFontPath_ = chosenSoundFont_;
  }
  if (soundFontPath_.empty()) {
    try {
      soundFontPath_ = FindGeneralMidiSoundFont(options_.soundFontCandidates);
    } catch (const DeviceError& e) {
      throw SynthStartError(SynthFailure::NoSoundFont, e.what());
    }
  }

  RouteFluidSynthLog();
  ClearFluidSynthErrors();
  auto fluid = std::make_unique<Fluid>();
  fluid->settings = new_fluid_settings();
  if (fluid->settings == nullptr) {
    throw SynthStartError(SynthFailure::SynthesizerFailed, "The built-in synthesizer could not be created");
  }
  fluid_settings_setnum(fluid->settings, "synth.sample-rate", options_.sampleRate);
  fluid_settings_setnum(fluid->settings, "synth.gain", options_.gain);
  fluid_settings_setint(fluid->settings, "synth.reverb.active", 0);
  fluid_settings_setint(fluid->settings, "synth.chorus.active", 0);
  fluid_settings_setint(fluid->settings, "synth.cpu-cores", 1);
  fluid_settings_setint(fluid->settings, "synth.lock-memory", 0);
  fluid->synth = new_fluid_synth(fluid->settings);
  if (fluid->synth == nullptr) {
    throw SynthStartError(SynthFailure::SynthesizerFailed,
                          "The built-in synthesizer could not be created: " + FluidSynthErrors());
  }
  // While the previous synthesizer still holds the SoundFont, FluidSynth's
  // sample cache makes this load cheap.
  if (fluid_synth_sfload(fluid->synth, soundFontPath_.c_str(), 1) == FLUID_FAILED) {
    const std::string path = soundFontPath_;
    soundFontPath_.clear();
    throw SynthStartError(SynthFailure::SoundFontUnreadable,
                          "The SoundFont " + path + " could not be loaded: " + FluidSynthErrors());
  }
  fluid_ = std::move(fluid);
}

void BuiltInSynth::Open() {
  AbandonTake();
  // A fresh synthesizer for every run: FluidSynth keeps traces of earlier
  // notes (voice and ramp state) that a reset does not clear, and the same
  // run must give the same samples whatever was played before it.
  Load();
  origin_ = clock_.Now();
  renderedFrames_ = 0;
  lead_ = 0;
  open_ = true;
}

void BuiltInSynth::UseSoundFont(const std::string& path) {
  if (path == chosenSoundFont_) return;
  chosenSoundFont_ = path;
  soundFontPath_.clear();  // found again at the next open
}

void BuiltInSynth::UseSampleRate(int samplesPerSec) {
  // FluidSynth renders from 8000 to 96000 frames per second.
  if (samplesPerSec > 96000 || samplesPerSec < 1000) return;
  options_.sampleRate = std::max(samplesPerSec, kLowestRenderRate);
}

void BuiltInSynth::Close() {
  AbandonTake();
  if (fluid_) fluid_synth_all_sounds_off(fluid_->synth, -1);
  open_ = false;
}

int64_t BuiltInSynth::FrameAt(double now) const {
  return std::llround((now - origin_) * options_.sampleRate) + lead_;
}

void BuiltInSynth::Render(std::size_t frames, float* interleavedStereo) {
  renderedFrames_ += static_cast<int64_t>(frames);
  while (frames > 0) {
    const std::size_t block = std::min(frames, kRenderBlockFrames);
    fluid_synth_write_float(fluid_->synth, static_cast<int>(block), interleavedStereo, 0, 2, interleavedStereo, 1,
                            2);
    interleavedStereo += 2 * block;
    frames -= block;
  }
}

// Renders up to the block start nearest to the clock's frame, so that a
// message applied next takes effect within half a block (0.7 ms at 44.1 kHz)
// of its time, early or late, never a whole block late.
void BuiltInSynth::AdvanceTo(double now) {
  const int64_t target = NearestBlockStart(FrameAt(now));
  if (target <= renderedFrames_) return;  // the clock never goes back; a repeat is a no-op
  RenderFrames(target - renderedFrames_);
}

void BuiltInSynth::RenderFrames(int64_t frames) {
  if (taking_) {
    const std::size_t start = take_.size();
    take_.resize(start + 2 * static_cast<std::size_t>(frames));
    Render(static_cast<std::size_t>(frames), take_.data() + start);
    return;
  }
  // Between takes the audio is dropped; a long gap is skipped, beyond the
  // longest catch-up, by moving the clock's frames back.
  const int64_t longest =
      std::llround(options_.longestCatchUpSeconds * options_.sampleRate) / kFluidBlockFrames * kFluidBlockFrames;
  if (frames > longest) {
    lead_ -= frames - longest;
    frames = longest;
  }
  scratch_.resize(2 * kRenderBlockFrames);
  while (frames > 0) {
    const auto block = static_cast<std::size_t>(std::min<int64_t>(frames, kRenderBlockFrames));
    Render(block, scratch_.data());
    frames -= static_cast<int64_t>(block);
  }
}

void BuiltInSynth::Apply(uint32_t message) {
  if (!open_) return;
  AdvanceTo(clock_.Now());
  const int status = midi::StatusByte(message);
  const int channel = status & 0x0F;
  const int data1 = midi::DataByte1(message) & 0x7F;
  const int data2 = midi::DataByte2(message) & 0x7F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(fluid_->synth, channel, data1);
      break;
    case 0x90:  // velocity 0 is a note off, as on any MIDI instrument
      if (data2 == 0) {
        fluid_synth_noteoff(fluid_->synth, channel, data1);
      } else {
        fluid_synth_noteon(fluid_->synth, channel, data1, data2);
      }
      break;
    case 0xC0:
      fluid_synth_program_change(fluid_->synth, channel, data1);
      break;
    default:
      break;
  }
}

void BuiltInSynth::BeginTake() {
  if (!open_) {
    throw DeviceError("The built-in synthesizer is not playing: open the MIDI output (\"MIDI Mapper\") first");
  }
  takeStart_ = clock_.Now();
  AdvanceTo(takeStart_);
  // The take starts where a block starts: its start becomes the clock's
  // frame, so a note sent right after it (within half a block) sounds from
  // the take's first frame.
  lead_ += renderedFrames_ - FrameAt(takeStart_);
  take_.clear();
  taking_ = true;
}

RecordedTake BuiltInSynth::EndTake() {
  RecordedTake take;
  take.sampleRate = options_.sampleRate;
  take.channels = 2;
  if (!taking_) return take;
  // The take ends exactly at the clock's frame; the rest of that block is
  // dropped, so the next take starts on a block too.
  const double now = clock_.Now();
  const int64_t end = FrameAt(now);
  if (end > renderedFrames_) RenderFrames(end - renderedFrames_);
  take.clockSeconds = now - takeStart_;
  take.samples = std::move(take_);
  take_ = {};
  taking_ = false;
  const int64_t rest = (kFluidBlockFrames - renderedFrames_ % kFluidBlockFrames) % kFluidBlockFrames;
  if (rest > 0) RenderFrames(rest);
  return take;
}

void BuiltInSynth::AbandonTake() {
  taking_ = false;
  take_ = {};
}

}  // namespace ntr
