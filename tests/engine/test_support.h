// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the engine tests: a temporary folder, file helpers, an
// observer that keeps what a run reported, and a rig of fakes around one
// RunController.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/events/event_list.h"
#include "engine/run/run_controller.h"
#include "engine/run/run_settings.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_messages.h"
#include "fakes/fake_midi_output.h"
#include "fakes/fake_recorder.h"

namespace ntr::testing {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::uint32_t LittleEndian32(const std::string& bytes, std::size_t offset);
// Every file below a folder, as paths relative to it, sorted.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);
// Replaces "/" by the platform's separator.
std::string Native(std::string path);

class RecordingObserver : public RunObserver {
 public:
  void RunStateChanged(RunState state) override { states.push_back(state); }
  void RunProgressChanged(const RunProgress& p) override { progress.push_back(p); }
  void RunRowChanged(std::size_t row) override { rows.push_back(row); }
  void TakeSaved(const SavedTake& take) override { takes.push_back(take); }
  void RunFinished(const RunResult& result) override { results.push_back(result); }

  std::vector<RunState> states;
  std::vector<RunProgress> progress;
  std::vector<std::size_t> rows;
  std::vector<SavedTake> takes;
  std::vector<RunResult> results;
};

// One controller wired to fakes, saving into a temporary folder.
struct Rig {
  Rig();
  ~Rig();

  // Appends rows for the given MIDI notes, with the note's name.
  void AddRows(const std::vector<int>& notes, int durationMs = 1000, int decayMs = 500);
  // Generates with the program list (as "Generate Events" would) and sets it in the window.
  void GeneratePrograms(const std::string& programList);
  RunController::StartResult Start() { return controller.StartOrSuspend(); }

  std::vector<int> NotesOn() const;    // note numbers of every note on, in order
  std::vector<int> Programs() const;   // program numbers of every program change
  std::string InstrumentFolder() const;

  TempDir dir;
  fakes::FakeClock clock;
  fakes::FakeMidiOutput midi{clock};
  fakes::FakeRecorder recorder{clock};
  fakes::FakeMessages messages;
  EventList events;
  PlainRunSettings settings;
  RunController controller{events, settings, midi, recorder, clock, messages};
  RecordingObserver observer;
};

}  // namespace ntr::testing
