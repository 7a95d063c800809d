// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fluidsynth_shell.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>

namespace ntr::test {

std::string AskFluidSynth(int port, const std::string& command) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string line = command + "\n";
    if (send(fd, line.data(), line.size(), 0) == static_cast<ssize_t>(line.size())) {
      // The shell has no end-of-answer mark: read until it has been quiet a while.
      pollfd waiting{fd, POLLIN, 0};
      int waitMs = 2000;  // for the first bytes
      while (poll(&waiting, 1, waitMs) > 0) {
        char buffer[4096];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(got));
        waitMs = 300;
      }
    }
  }
  close(fd);
  return answer;
}

std::map<int, std::string> FluidSynthChannels(int port) {
  std::map<int, std::string> channels;
  std::istringstream lines(AskFluidSynth(port, "channels"));
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t at = line.find("chan ");
    const std::size_t comma = line.find(", ", at);
    if (at == std::string::npos || comma == std::string::npos) continue;
    const std::string number = line.substr(at + 5, comma - at - 5);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string name = line.substr(comma + 2);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    channels[std::stoi(number)] = name;
  }
  return channels;
}

}  // namespace ntr::test
