// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling the built-in synthesizer faster than real time: a whole run on the
// real devices (MIDI_MOD, the synthesizer's recorder, saving and tagging), as
// the batch mode makes it, timed against the audio it produced. The same
// process then makes a few takes in real time, for the ratio of the path a
// hardware instrument needs.
//
// Usage: fast_run_bench [--notes N] [--realtime-notes N] [--duration MS] [--decay MS]
// Defaults: 128 notes (all of MIDI) of 2000 ms + 500 ms decay, mono, 44.1 kHz,
// 16 bits, one program, unity note embedded; 4 notes in real time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "devices/device_layer.h"
#include "engine/events/event_list.h"
#include "engine/run/run_controller.h"
#include "engine/run/steady_clock.h"

namespace ntr::bench {
namespace {

struct Options {
  int notes = 128;
  int realtimeNotes = 4;
  int durationMs = 2000;
  int decayMs = 500;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const int value = std::atoi(argv[i + 1]);
    if (name == "--notes") o.notes = value;
    else if (name == "--realtime-notes") o.realtimeNotes = value;
    else if (name == "--duration") o.durationMs = value;
    else if (name == "--decay") o.decayMs = value;
    else {
      std::fprintf(stderr, "fast_run_bench: unknown option %s\n", name.c_str());
      std::exit(2);
    }
  }
  return o;
}

struct PrintedMessages : MessagePort {
  void ShowMessage(const std::string&, const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "fast_run_bench: %s\n", text.c_str());
  }
};

struct Measured {
  int takes = 0;
  double wallSeconds = 0.0;
};

// The first `notes` MIDI notes (0 up), one program, in `folder`.
Measured Run(const Options& o, int notes, bool fast, const std::filesystem::path& folder) {
  SteadyClock clock([] {});  // as the batch mode runs, its hook all but free
  DeviceLayer devices(clock);
  devices.Midi().SelectMidiDevice(0);
  PlainRunSettings settings;
  settings.saveFolder = folder.string();
  settings.instrumentName = fast ? "Fast" : "RealTime";
  settings.programList = "0";
  settings.embedNote = true;
  settings.format = {44100, 16, 1};
  settings.options.renderFast = fast;

  EventSelection selection;
  selection.notes.fill(true);
  selection.octaves.fill(true);
  selection.duration = std::to_string(o.durationMs);
  selection.decay = std::to_string(o.decayMs);
  selection.programList = settings.programList;
  EventList events;
  PrintedMessages messages;
  RunController controller(events, settings, devices.Midi(), devices.Recorder(), clock, messages);
  controller.GenerateEvents(selection, true);

  // The run is cut to the number of notes asked for: STOP once enough were saved.
  struct Enough : RunObserver {
    Enough(RunController& c, int n) : controller(c), left(n) {}
    void TakeSaved(const SavedTake&) override {
      if (--left == 0) controller.Stop();
    }
    RunController& controller;
    int left;
  } enough(controller, notes);
  controller.AddObserver(&enough);

  const auto start = std::chrono::steady_clock::now();
  controller.StartOrSuspend();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  const RunResult result = controller.LastResult().value_or(RunResult{});
  if (result.outcome != RunOutcome::Completed && result.outcome != RunOutcome::Stopped) {
    std::fprintf(stderr, "fast_run_bench: the run failed: %s\n", result.message.c_str());
    std::exit(1);
  }
  return {static_cast<int>(result.takesSaved), wall.count()};
}

void Report(const char* path, const Measured& m, double takeSeconds) {
  const double audio = m.takes * takeSeconds;
  std::printf("%-10s %4d takes, %7.1f s of audio in %7.2f s: %6.1f x real time\n", path, m.takes, audio,
              m.wallSeconds, audio / m.wallSeconds);
}

}  // namespace
}  // namespace ntr::bench

int main(int argc, char** argv) {
  using namespace ntr::bench;
  const Options o = ParseOptions(argc, argv);
  const auto folder = std::filesystem::temp_directory_path() / ("ntr-fast-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const double takeSeconds = (o.durationMs + o.decayMs) / 1000.0;
  std::printf("Built-in synthesizer, one program, %d ms + %d ms decay, 44100 Hz 16 bits mono, unity note embedded\n",
              o.durationMs, o.decayMs);
  const Measured fast = Run(o, o.notes, true, folder);
  Report("fast", fast, takeSeconds);
  if (o.realtimeNotes > 0) Report("real time", Run(o, o.realtimeNotes, false, folder), takeSeconds);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
