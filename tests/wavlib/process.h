// SPDX-License-Identifier: MIT
#pragma once
// Runs a program of the test machine and collects what it prints.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace wavtest {

struct ProcessResult {
  int exitCode = -1;
  std::string output;  // standard output (and standard error when merged)
};

inline std::string ShellQuote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs program with args; standard error is merged into the output when mergeErrors is set.
inline ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args, bool mergeErrors = false) {
  std::string command = ShellQuote(program);
  for (const auto& a : args) command += " " + ShellQuote(a);
  command += mergeErrors ? " 2>&1" : " 2>/dev/null";
  ProcessResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace wavtest
