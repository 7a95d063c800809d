// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MIDI output ports RtMidi finds, over every MIDI system compiled in
// (ALSA sequencer, JACK, ...), and the connection to one of them.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ntr {

// One port as found at listing time.
struct MidiOutputDevice {
  int api = 0;           // RtMidi::Api of the MIDI system it lives on
  std::string portName;  // as RtMidi names it; found again by this name at open
  std::string caption;   // what the device menu shows
};

// The client name under which this program appears on the MIDI systems.
inline constexpr const char* kMidiClientName = "NTR";

// True for ports that must not be offered: this program's own clients
// ("NTR", "NTR-01", ...) and RtMidi's unnamed clients ("RtMidi Input Client", ...).
bool IsOwnOrRtMidiPort(const std::string& portName);

// The output ports of every compiled MIDI system, each system in its own
// try/catch (one that is missing adds nothing), in the order of the systems
// and, within one, the system's own port order; at most `most` entries.
std::vector<MidiOutputDevice> FindMidiOutputDevices(std::size_t most);

// An open connection to one port. Open returns a MIDI_RetCode (midi_retcodes.h).
class MidiPortOutput {
 public:
  MidiPortOutput();
  ~MidiPortOutput();
  MidiPortOutput(const MidiPortOutput&) = delete;
  MidiPortOutput& operator=(const MidiPortOutput&) = delete;

  int Open(const MidiOutputDevice& device, std::string& reason);
  void Close();
  bool IsOpen() const;
  // Sends 1 to 3 bytes; failures are not reported (short messages are fire and forget).
  void Send(const unsigned char* bytes, std::size_t size);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ntr
