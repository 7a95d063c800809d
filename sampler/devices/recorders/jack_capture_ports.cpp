// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/jack_capture_ports.h"

#include <jack/jack.h>

#include <cerrno>
#include <memory>

#include "devices/quiet_libraries.h"
#include "engine/ports.h"

namespace ntr {

namespace {

struct JackClientCloser {
  void operator()(jack_client_t* client) const { jack_client_close(client); }
};
using JackClient = std::unique_ptr<jack_client_t, JackClientCloser>;

// Never starts a server: recording goes to a server the user runs.
JackClient OpenHelperClient() {
  QuietDeviceLibraries();  // a missing server is reported by the callers
  return JackClient(jack_client_open("NTR connector", JackNoStartServer, nullptr));
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The server's audio ports matching the flags, in the server's order; empty when none runs.
std::vector<std::string> JackOutputPorts(unsigned long flags) {
  std::vector<std::string> ports;
  const JackClient client = OpenHelperClient();
  if (!client) return ports;
  const char** names = jack_get_ports(client.get(), nullptr, JACK_DEFAULT_AUDIO_TYPE, flags);
  if (names != nullptr) {
    for (const char** name = names; *name != nullptr; ++name) ports.emplace_back(*name);
    jack_free(static_cast<void*>(names));
  }
  return ports;
}

}  // namespace

std::vector<std::string> SplitPortList(const std::string& list) {
  std::vector<std::string> ports;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = list.find(',', start);
    const std::size_t end = comma == std::string::npos ? list.size() : comma;
    std::string name = Trim(list.substr(start, end - start));
    if (!name.empty()) ports.push_back(std::move(name));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return ports;
}

std::string JackClientOf(const std::string& portName) { return portName.substr(0, portName.find(':')); }

std::vector<std::string> JackPhysicalCapturePorts() { return JackOutputPorts(JackPortIsPhysical | JackPortIsOutput); }

std::vector<std::string> JackRecordablePorts() { return JackOutputPorts(JackPortIsOutput); }

struct JackConnector::Client {
  JackClient handle;
};

JackConnector::JackConnector() : client_(std::make_unique<Client>(Client{OpenHelperClient()})) {
  if (!client_->handle) throw DeviceError("Couldn't reach the JACK server to connect the recording inputs");
}

JackConnector::~JackConnector() = default;

void JackConnector::Connect(const JackConnections& connections) {
  jack_client_t* client = client_->handle.get();
  for (const auto& [source, destination] : connections) {
    jack_port_t* const from = jack_port_by_name(client, source.c_str());
    if (from == nullptr) throw DeviceError("The JACK port to record from does not exist: " + source);
    if (jack_port_by_name(client, destination.c_str()) == nullptr) {
      throw DeviceError("The recorder's JACK input port does not exist: " + destination);
    }
    // The lookups read the server's graph in shared memory; a connect is a
    // request the server answers only after its next cycle (3-5 ms each),
    // even for a pair already connected, so it is made only when needed.
    if (jack_port_connected_to(from, destination.c_str()) != 0) continue;
    const int result = jack_connect(client, source.c_str(), destination.c_str());
    if (result != 0 && result != EEXIST) {
      throw DeviceError("Couldn't connect the JACK port " + source + " to " + destination);
    }
  }
}

}  // namespace ntr
