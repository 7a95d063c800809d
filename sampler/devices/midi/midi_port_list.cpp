// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/midi/midi_port_list.h"

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "devices/midi/midi_retcodes.h"
#include "devices/quiet_libraries.h"

namespace ntr {

namespace {

// Keeps RtMidi's warnings and errors for the caller instead of stderr and
// exceptions; RtMidi passes a user pointer, so each output keeps its own.
struct CapturedMidiError {
  std::string text;
  static void Keep(RtMidiError::Type /*type*/, const std::string& text, void* self) {
    auto* captured = static_cast<CapturedMidiError*>(self);
    if (!captured->text.empty()) captured->text += "; ";
    captured->text += text;
  }
};

// RtMidi hands JACK its messages in the next process cycle; closing the port
// before that drops them (a note off lost at the end of a run leaves a note
// hanging on the instrument). A close waits until this long after the last send.
constexpr auto kJackFlushTime = std::chrono::milliseconds(150);
// Likewise at the start: the connection to the instrument takes effect in a
// later cycle, and what is sent before it (the run's first program change) is
// lost. An open waits this long before the first message can be sent.
constexpr auto kJackConnectTime = std::chrono::milliseconds(100);

std::string ClientPart(const std::string& portName) { return portName.substr(0, portName.find(':')); }

std::string CaptionFor(RtMidi::Api api, const std::string& portName) {
  if (api == RtMidi::UNIX_JACK) return portName + " (JACK)";
  return portName;
}

}  // namespace

bool IsOwnOrRtMidiPort(const std::string& portName) {
  const std::string client = ClientPart(portName);
  if (client.rfind("RtMidi", 0) == 0) return true;
  // "NTR", or "NTR-01" when the server gave a second client of ours a number.
  const std::string own = kMidiClientName;
  if (client.rfind(own, 0) != 0) return false;
  const std::string rest = client.substr(own.size());
  if (rest.empty()) return true;
  return rest.size() > 1 && rest[0] == '-' &&
         std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<MidiOutputDevice> FindMidiOutputDevices(std::size_t most) {
  std::vector<MidiOutputDevice> devices;
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  for (const RtMidi::Api api : apis) {
    if (devices.size() >= most) break;
    std::string whyNot;
    if (!MidiSystemReachable(static_cast<int>(api), whyNot)) continue;  // it offers nothing
    try {
      CapturedMidiError quiet;
      RtMidiOut out(api, kMidiClientName);
      out.setErrorCallback(&CapturedMidiError::Keep, &quiet);
      const unsigned count = out.getPortCount();
      for (unsigned i = 0; i < count && devices.size() < most; ++i) {
        const std::string name = out.getPortName(i);
        if (name.empty() || IsOwnOrRtMidiPort(name)) continue;
        devices.push_back({static_cast<int>(api), name, CaptionFor(api, name)});
      }
    } catch (const std::exception&) {
      // This MIDI system is not there (no ALSA sequencer, ...): it offers nothing.
    }
  }
  return devices;
}

struct MidiPortOutput::Impl {
  CapturedMidiError errors;
  std::unique_ptr<RtMidiOut> out;
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  std::chrono::steady_clock::time_point lastSend{};
};

MidiPortOutput::MidiPortOutput() : impl_(std::make_unique<Impl>()) {}

MidiPortOutput::~MidiPortOutput() { Close(); }

int MidiPortOutput::Open(const MidiOutputDevice& device, std::string& reason) {
  Close();
  const auto api = static_cast<RtMidi::Api>(device.api);
  const std::string system = RtMidi::getApiDisplayName(api);
  impl_->errors.text.clear();
  std::string whyNot;
  if (!MidiSystemReachable(device.api, whyNot)) {
    reason = "The " + system + " MIDI system is not available: " + whyNot;
    return midi_retcode::kNoDriver;
  }
  try {
    impl_->out = std::make_unique<RtMidiOut>(api, kMidiClientName);
  } catch (const std::exception& e) {
    reason = "The " + system + " MIDI system is not available: " + e.what();
    return midi_retcode::kNoDriver;
  }
  impl_->api = api;
  RtMidiOut& out = *impl_->out;
  try {
    out.setErrorCallback(&CapturedMidiError::Keep, &impl_->errors);
    const unsigned count = out.getPortCount();
    unsigned index = count;
    for (unsigned i = 0; i < count; ++i) {
      if (out.getPortName(i) == device.portName) {
        index = i;
        break;
      }
    }
    if (index == count) {
      impl_->out.reset();
      if (count == 0) {
        reason = "The " + system + " MIDI system offers no output now (is its server running?): " +
                 device.portName;
        return midi_retcode::kNoDriver;
      }
      reason = "The MIDI device is no longer there: " + device.portName;
      return midi_retcode::kNoDevice;
    }
    out.openPort(index, "MIDI out");
    if (!out.isPortOpen()) {
      reason = "The MIDI device " + device.portName + " refused to open: " + impl_->errors.text;
      impl_->out.reset();
      return midi_retcode::kOpenRefused;
    }
    if (impl_->api == RtMidi::UNIX_JACK) std::this_thread::sleep_for(kJackConnectTime);
  } catch (const std::exception& e) {
    reason = "The MIDI device " + device.portName + " refused to open: " + e.what();
    impl_->out.reset();
    return midi_retcode::kOpenRefused;
  }
  return midi_retcode::kOk;
}

void MidiPortOutput::Close() {
  if (!impl_->out) return;
  if (impl_->api == RtMidi::UNIX_JACK) {
    std::this_thread::sleep_until(impl_->lastSend + kJackFlushTime);
  }
  try {
    impl_->out->closePort();
  } catch (const std::exception&) {
    // Closing is best effort: the port goes with the object anyway.
  }
  impl_->out.reset();
}

bool MidiPortOutput::IsOpen() const { return impl_->out && impl_->out->isPortOpen(); }

void MidiPortOutput::Send(const unsigned char* bytes, std::size_t size) {
  if (!IsOpen()) return;
  try {
    impl_->out->sendMessage(bytes, size);
    impl_->lastSend = std::chrono::steady_clock::now();
  } catch (const std::exception&) {
    // A short message that cannot be delivered is dropped, as on any MIDI cable.
  }
}

}  // namespace ntr
