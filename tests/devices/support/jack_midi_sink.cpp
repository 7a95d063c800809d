// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/jack_midi_sink.h"

#include <jack/midiport.h>

#include <chrono>
#include <thread>

namespace ntr::test {

JackMidiSink::JackMidiSink(const std::string& clientName) {
  client_ = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
  if (client_ == nullptr) return;
  port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (port_ == nullptr || jack_set_process_callback(client_, &JackMidiSink::Process, this) != 0 ||
      jack_activate(client_) != 0) {
    port_ = nullptr;
  }
}

JackMidiSink::~JackMidiSink() {
  if (client_ != nullptr) {
    jack_deactivate(client_);
    jack_client_close(client_);
  }
}

std::string JackMidiSink::PortName() const { return port_ != nullptr ? jack_port_name(port_) : ""; }

int JackMidiSink::Process(jack_nframes_t frames, void* self) {
  auto* sink = static_cast<JackMidiSink*>(self);
  void* buffer = jack_port_get_buffer(sink->port_, frames);
  const jack_nframes_t count = jack_midi_get_event_count(buffer);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    const std::lock_guard lock(sink->mutex_);
    sink->messages_.emplace_back(event.buffer, event.buffer + event.size);
    sink->times_.push_back(static_cast<double>(jack_get_time()) / 1e6);
  }
  return 0;
}

std::vector<std::vector<uint8_t>> JackMidiSink::WaitForMessages(std::size_t count, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (true) {
    {
      const std::lock_guard lock(mutex_);
      if (messages_.size() >= count || std::chrono::steady_clock::now() >= deadline) return messages_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::vector<double> JackMidiSink::ArrivalTimes() {
  const std::lock_guard lock(mutex_);
  return times_;
}

}  // namespace ntr::test
