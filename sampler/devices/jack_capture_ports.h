#pragma once
// Connections on a JACK server for the recorder: which ports it records from
// and wiring them to its own input ports. A short-lived JACK client of its own
// does the wiring (the audio library does not hand out its client).

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

// Connects each (source, destination) pair. Throws DeviceError naming the
// pair that failed (no server, a port that does not exist, ...).
void ConnectJackPorts(const std::vector<std::pair<std::string, std::string>>& connections);

}  // namespace ntr
