// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Connections on a JACK server for the recorder: which ports it records from
// and wiring them to its own input ports. A JACK client of its own does the
// wiring (the audio library does not hand out its client).

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ntr {

// "a:x, b:y" -> {"a:x", "b:y"} (blanks around names dropped, empties skipped).
std::vector<std::string> SplitPortList(const std::string& list);

// The client part of a port name ("system:capture_1" -> "system").
std::string JackClientOf(const std::string& portName);

// The server's physical capture ports ("system:capture_1", ...), in order;
// empty when no server runs.
std::vector<std::string> JackPhysicalCapturePorts();

// Every audio port of the server that can be recorded from (capture ports
// and other clients' outputs), in the server's order; empty when none runs.
std::vector<std::string> JackRecordablePorts();

using JackConnections = std::vector<std::pair<std::string, std::string>>;

// A JACK client that only makes connections, kept open so that a run's takes
// do not each pay for a client of their own. Used on one thread at a time.
class JackConnector {
 public:
  // Throws DeviceError when no server can be reached (none is ever started).
  JackConnector();
  ~JackConnector();
  JackConnector(const JackConnector&) = delete;
  JackConnector& operator=(const JackConnector&) = delete;

  // Connects each (source, destination) pair; pairs already connected are
  // left as they are without asking the server. Throws DeviceError naming
  // the pair that failed (a port that does not exist, a server that went
  // away, ...).
  void Connect(const JackConnections& connections);

 private:
  struct Client;
  std::unique_ptr<Client> client_;
};

}  // namespace ntr
