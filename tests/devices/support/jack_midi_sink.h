// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A MIDI instrument stand-in on the test's JACK server: one MIDI input port
// that keeps every message it receives, byte for byte.

#include <jack/jack.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ntr::test {

class JackMidiSink {
 public:
  explicit JackMidiSink(const std::string& clientName);
  ~JackMidiSink();
  JackMidiSink(const JackMidiSink&) = delete;
  JackMidiSink& operator=(const JackMidiSink&) = delete;

  bool Ok() const { return port_ != nullptr; }
  std::string PortName() const;
  // The messages received so far, once `count` have arrived or after `seconds`.
  std::vector<std::vector<uint8_t>> WaitForMessages(std::size_t count, double seconds);
  // When each message reached this client's cycle, in seconds of JACK's clock.
  std::vector<double> ArrivalTimes();

 private:
  static int Process(jack_nframes_t frames, void* self);

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::mutex mutex_;  // a test instrument may take a lock in its process callback
  std::vector<std::vector<uint8_t>> messages_;
  std::vector<double> times_;
};

}  // namespace ntr::test
