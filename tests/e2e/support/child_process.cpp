// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace ntr::e2e {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& outputFolder, const std::map<std::string, std::string>& environment) {
  static int serial = 0;
  const std::string stem = outputFolder + "/child-" + std::to_string(++serial);
  stdoutPath_ = stem + ".out";
  stderrPath_ = stem + ".err";

  // Everything the child needs is prepared before the fork.
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : environment) {
    if (value.empty()) {
      variables.erase(name);
    } else {
      variables[name] = value;
    }
  }
  std::vector<std::string> envText;
  for (const auto& [name, value] : variables) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argText) argv.push_back(text.data());
  argv.push_back(nullptr);

  const int out = open(stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0 || err < 0) throw std::runtime_error("cannot create the child's output files in " + outputFolder);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, STDIN_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(out);
  close(err);
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int ChildProcess::Wait(double seconds) {
  if (status_ >= 0) return status_;
  const double end = Now() + seconds;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return status_;
    }
    if (Now() > end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      status_ = 999;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ChildProcess::Signal(int signal) {
  if (status_ < 0) kill(pid_, signal);
}

bool ChildProcess::WaitForOutput(const std::string& text, double seconds) {
  const double end = Now() + seconds;
  while (Now() < end) {
    if (Stdout().find(text) != std::string::npos) return true;
    int status = 0;
    if (status_ < 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (status_ >= 0) return Stdout().find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string ChildProcess::Stdout() const { return ReadAll(stdoutPath_); }
std::string ChildProcess::Stderr() const { return ReadAll(stderrPath_); }

Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& outputFolder, double seconds,
                  const std::map<std::string, std::string>& environment) {
  ChildProcess child(program, arguments, outputFolder, environment);
  Finished finished;
  finished.status = child.Wait(seconds);
  finished.out = child.Stdout();
  finished.err = child.Stderr();
  return finished;
}

}  // namespace ntr::e2e
