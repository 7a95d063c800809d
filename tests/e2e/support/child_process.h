// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real NTR binary as a child process: its stdout and stderr go to files
// the test reads, it can be sent signals, and every wait is bounded.

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace ntr::e2e {

class ChildProcess {
 public:
  // Starts program with arguments; environment entries are added to (or
  // replace) the test's own; an empty value removes the variable.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFolder,
               const std::map<std::string, std::string>& environment = {});
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits for the exit; the exit status, 128 + signal when killed by one, or
  // -1 after `seconds` (the child is then killed).
  int Wait(double seconds);
  void Signal(int signal);
  // Waits until stdout holds `text`; false after `seconds` or when the child ended first.
  bool WaitForOutput(const std::string& text, double seconds);

  std::string Stdout() const;
  std::string Stderr() const;

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string stdoutPath_;
  std::string stderrPath_;
};

// The batch test's run: NTR with arguments, waited for at most `seconds`.
struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};
Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& outputFolder, double seconds,
                  const std::map<std::string, std::string>& environment = {});

}  // namespace ntr::e2e
