// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's view of the outside world. The engine (event list, run controller,
// capture) talks to devices, time and the user only through these interfaces:
// each front end (the window, the batch mode) wires in the real devices
// (sampler/devices) through its sampling session, with the window's dialogs
// or the terminal as MessagePort; the engine's tests wire in fakes. Every call comes from the thread that runs the
// sampling: the user-interface thread in the window, the main thread in the batch mode. A device that needs threads of
// its own (a recorder's audio callback and drain) keeps them inside its implementation.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/takes/sample_coding.h"

namespace ntr {

class TakeClock;

// A device or file operation failed. The message says what failed and why,
// in words a musician can act on ("No audio input device found", ...).
class DeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A take lost audio (an overrun of the device or of the recorder): the device
// itself still works, so the event can be recorded again.
class AudioDropoutError : public DeviceError {
 public:
  using DeviceError::DeviceError;
};

// The MIDI output that plays the notes (MIDI_MOD for real devices).
// Channel and velocity are set by SetChannelAndVelocity, first right after a
// successful open and again around each take of a velocity layer; the three
// Send calls use the last ones set.
class MidiOutputPort {
 public:
  virtual ~MidiOutputPort() = default;
  // Opens the selected device. Returns MIDI_RetCode: 0 on success, otherwise a
  // device-specific non-zero code (the run shows it and ends).
  virtual int OpenMidiOutput() = 0;
  // A readable reason for the last failed open ("" when unknown).
  virtual std::string LastOpenError() const { return {}; }
  virtual void CloseMidiOutput() = 0;
  virtual void SetChannelAndVelocity(int channel0to15, int velocity) = 0;
  virtual void SendProgramChange(int program) = 0;
  virtual void SendNoteOn(int note) = 0;
  virtual void SendNoteOff(int note) = 0;
  // Given at START, before the open: the SoundFont of the built-in
  // synthesizer ("" for the system's General MIDI one); other outputs ignore it.
  virtual void UseSoundFont(const std::string& /*path*/) {}
  // Given at START, before the open: the run's sample rate, which the
  // built-in synthesizer renders at; other outputs ignore it.
  virtual void UseSampleRate(int /*samplesPerSec*/) {}
  // The clock the selected output renders its sound on, when it renders it
  // rather than playing it in real time (the built-in synthesizer); a fast run
  // switches it to virtual time. Asked at START, before the open.
  virtual TakeClock* RenderClock() { return nullptr; }
};

// The list of MIDI outputs offered in the "MIDI Devices" menu (MIDI_MOD).
// Entry 0 is "MIDI Mapper" (the built-in synthesizer); entries 1..9 are the
// output ports found at start-up. The window stores the choice ("MidiDev").
class MidiDevicesPort {
 public:
  virtual ~MidiDevicesPort() = default;
  virtual std::vector<std::string> ListMidiDevices() = 0;  // captions, entry 0 first
  virtual void SelectMidiDevice(int index) = 0;            // takes effect at the next open
  virtual int SelectedMidiDevice() const = 0;
};

// The sound card mixer's three levels (VOLUME_MOD on the real mixer). Slider i:
// 0 line input, 1 microphone, 2 output volume. Set from the window's knobs, and
// once from the stored knob positions by the batch mode.
class MixerPort {
 public:
  virtual ~MixerPort() = default;
  // Opens the default mixer, finds the three volume controls and turns them to
  // their minimum. false when there is no mixer (the window says so once).
  virtual bool OpenMixerDevice() = 0;
  // Sets level i from its knob: pos is the knob's distance above its lowest
  // position and travel the whole way it can move (both in twips).
  virtual void ApplyKnobLevel(int slider, int pos, int travel) = 0;
};

// The recording format of the takes ("Rate", "Bits" and "Channels" of the
// settings, the window's format lists), read by the run at every event.
struct RecordingFormat {
  int samplesPerSec = 44100;  // 11025, 22050, 44100, 48000, 88200 or 96000
  int bitsPerSample = 16;     // 8 (unsigned), 16, 24 (signed) or 32 (IEEE float)
  int channels = 2;           // 1 or 2
};

// Takes of 32 bits hold IEEE float samples (format code 3), the others PCM.
inline bool HasFloatSamples(const RecordingFormat& format) { return format.bitsPerSample == 32; }

// How a take of the format stores its samples.
inline SampleCoding CodingOf(const RecordingFormat& format) {
  return SampleCoding{format.bitsPerSample, HasFloatSamples(format)};
}

// An audio input a recorder can record from: `setting` is what the
// "Audio/Input" setting stores, `label` what the user reads.
struct AudioInputEntry {
  std::string setting;
  std::string label;
};

// The audio system's default input, offered ahead of the inputs listed.
inline const AudioInputEntry kDefaultAudioInput{"", "Default"};

// The recorder that takes one event's audio. One recording lives from
// NewRecording to Close. Every operation throws DeviceError when it fails
// (no input device, refused format, stream error, a save that cannot be
// written; overruns during the take are an AudioDropoutError from Stop);
// none fails silently. A recorder may keep its device open from one
// recording to the next; EndOfRun, called once at the end of every run,
// releases it.
class RecorderPort {
 public:
  virtual ~RecorderPort() = default;
  virtual void NewRecording() = 0;  // a new, empty recording
  virtual void SetFormat(const RecordingFormat& format) = 0;
  virtual void Record() = 0;                       // start capturing
  virtual void Stop() = 0;                         // stop capturing
  virtual void Save(const std::string& path) = 0;  // PCM WAV of the format set
  virtual void Close() = 0;                        // end the recording; never throws
  virtual void EndOfRun() {}                       // release the device; never throws
  // The inputs there are now, the audio system's default aside; empty for a
  // recorder that has no choice. Asked by the "Audio Input" menu each time it
  // opens, and by the batch mode's list of inputs.
  virtual std::vector<AudioInputEntry> AudioInputs() { return {}; }
  // The input the run's takes come from ("" : the audio system's default),
  // set at START. Throws DeviceError naming it when it is not there.
  virtual void UseAudioInput(const std::string& /*setting*/) {}
};

// Time and yielding. Now() is monotonic seconds (no midnight wrap).
// Yield() lets the user interface handle what is pending (clicks on the run
// buttons arrive re-entrantly through it). WaitUntil() returns once Now() has
// reached the deadline, yielding meanwhile without keeping a core busy.
class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual double Now() = 0;
  virtual void Yield() = 0;
  virtual void WaitUntil(double deadline) = 0;
};

// How the engine talks to the user: modal messages in the window, lines on
// the terminal in batch mode, a list in tests.
enum class MessageIcon { None, Information, Critical };

class MessagePort {
 public:
  virtual ~MessagePort() = default;
  virtual void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) = 0;
  // A warning the user may go on past: true to go on. Where nobody can be
  // asked (the batch mode) the warning is shown and the run goes on.
  virtual bool AskGoOn(const std::string& title, const std::string& text) {
    ShowMessage(title, text, MessageIcon::None);
    return true;
  }
  // A question with Yes and No (No the default); true for Yes. Where nobody
  // can answer, No: the run does not go on against a warning.
  virtual bool AskYesNo(const std::string& /*title*/, const std::string& /*text*/) { return false; }
};

}  // namespace ntr
