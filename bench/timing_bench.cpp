// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of whole sampling runs on the real devices, as the program makes
// them: the built-in instrument, or fluidsynth on a JACK server (run it
// through scripts/with-jack-server --fluidsynth, as bench/run-timing-bench does).
// The run is set up from settings the way both front ends do it.
// Per event: the take's length against duration + decay, the delay from note
// on to the sound's onset in the take, the dead time between one take's end
// and the next take's start (without the engine's deliberate pauses, which
// are shown apart), the error of the held note's length, and the CPU the
// process uses while it waits; then median and worst against the targets.
//
// Usage: timing_bench --path builtin|jack [--clock steady|qt] [--events N]
//                     [--duration MS] [--decay MS] [--folder DIR]

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <quendal/quendal_wav.h>
#include <string>
#include <vector>

#include "devices/device_layer.h"
#include "engine/events/event_list.h"
#include "engine/run/run_controller.h"
#include "engine/run/steady_clock.h"
#include "session/run_setup.h"
#include "timing/probes.h"
#include "ui/qt_clock.h"

namespace ntr::bench {
namespace {

struct Options {
  std::string path = "builtin";
  std::string clock = "steady";
  int events = 24;
  int durationMs = 500;
  int decayMs = 250;
  std::string folder;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--path") o.path = value;
    else if (name == "--clock") o.clock = value;
    else if (name == "--events") o.events = std::max(1, std::atoi(value.c_str()));
    else if (name == "--duration") o.durationMs = std::atoi(value.c_str());
    else if (name == "--decay") o.decayMs = std::atoi(value.c_str());
    else if (name == "--folder") o.folder = value;
    else {
      std::fprintf(stderr, "timing_bench: unknown option %s\n", name.c_str());
      std::exit(2);
    }
  }
  return o;
}

class Messages : public MessagePort {
 public:
  void ShowMessage(const std::string&, const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "run: %s\n", text.c_str());
  }
};

class Files : public RunObserver {
 public:
  explicit Files(Probe& probe) : probe_(probe) {}
  // Called before the next event's recording is made, so the current stamps are this take's
  // (an attempt that lost audio has stamps of its own and no file).
  void TakeSaved(const SavedTake& take) override { probe_.Current().file = take.file; }

 private:
  Probe& probe_;
};

struct Take {
  double seconds = 0;
  double onsetSeconds = -1;
};

// The take's length and where its sound begins (first sample at a tenth of its peak).
Take ReadTake(const std::string& file) {
  Take take;
  quendal::Wav wav;
  if (wav.GetWavFile(file) != 0) return take;
  const int channels = std::max(1, wav.Fmt_Chunk->ChannelsNumber);
  const int bits = wav.Fmt_Chunk->BitsPerSample;
  const std::string& data = wav.DataChunk->ChunkData;
  std::vector<float> mono;
  const std::size_t bytes = static_cast<std::size_t>(bits / 8);
  for (std::size_t frame = 0; (frame + 1) * bytes * channels <= data.size(); ++frame) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) {
      const std::size_t at = (frame * channels + c) * bytes;
      if (bits == 8) {
        sum += (static_cast<float>(static_cast<unsigned char>(data[at])) - 128.f) / 128.f;
      } else {
        sum += static_cast<float>(static_cast<std::int16_t>(static_cast<unsigned char>(data[at]) |
                                                            (static_cast<unsigned char>(data[at + 1]) << 8))) /
               32768.f;
      }
    }
    mono.push_back(sum / static_cast<float>(channels));
  }
  take.seconds = static_cast<double>(mono.size()) / wav.Fmt_Chunk->SampleRate;
  float peak = 0;
  for (const float s : mono) peak = std::max(peak, std::fabs(s));
  for (std::size_t i = 0; i < mono.size() && peak > 0; ++i) {
    if (std::fabs(mono[i]) >= 0.1f * peak) {
      take.onsetSeconds = static_cast<double>(i) / wav.Fmt_Chunk->SampleRate;
      break;
    }
  }
  return take;
}

struct Row {
  std::string name;
  double lengthExcess = NAN;  // take length - (duration + decay), s
  double onsetDelay = NAN;    // onset in the take - where the note on falls in it, s
  double deadTime = NAN;      // previous take's stop -> this take recording, without pauses, s
  double pause = NAN;         // deliberate pause in that gap (after a program change), s
  double heldError = NAN;     // note off - note on - duration, s
  double cpuShare = NAN;      // CPU s / wall s during the two waits
  // The dead time before this take, step by step.
  double stopping = NAN, saving = NAN, closing = NAN, tagging = NAN, opening = NAN, starting = NAN;
};

struct Summary {
  double median = NAN;
  double worst = NAN;  // largest magnitude
};

Summary Summarise(const std::vector<Row>& rows, double Row::*field) {
  std::vector<double> values;
  for (const Row& r : rows) {
    if (!std::isnan(r.*field)) values.push_back(r.*field);
  }
  Summary s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.worst = std::fabs(values.front()) > std::fabs(values.back()) ? values.front() : values.back();
  return s;
}

int Main(int argc, char** argv) {
  const Options o = ParseOptions(argc, argv);
  QCoreApplication app(argc, argv);
  QTemporaryDir temporary;
  const std::string folder = o.folder.empty() ? temporary.path().toStdString() : o.folder;

  std::unique_ptr<ClockPort> clock;
  if (o.clock == "qt") {
    clock = std::make_unique<ui::QtClock>();
  } else {
    clock = std::make_unique<SteadyClock>([] {});  // as the batch mode runs, its hook all but free
  }
  AudioInputOptions input;
  if (o.path == "jack") {
    input.api = "jack";
    input.jackSources = {"fluidsynth-midi:left", "fluidsynth-midi:right"};
  }
  DeviceLayer devices(*clock, {}, input);
  int entry = 0;
  if (o.path == "jack") {
    const std::vector<std::string> captions = devices.Midi().ListMidiDevices();
    const auto found = std::find(captions.begin(), captions.end(), "fluidsynth-midi:midi_00 (JACK)");
    if (found == captions.end()) {
      std::fprintf(stderr, "timing_bench: no fluidsynth on a JACK server (run it through scripts/with-jack-server --fluidsynth)\n");
      return 77;
    }
    entry = static_cast<int>(found - captions.begin());
  }
  devices.Midi().SelectMidiDevice(entry);

  Probe probe;
  TimedMidi midi(devices.Midi(), probe);
  TimedRecorder recorder(devices.Recorder(), probe);
  TimedClock timedClock(*clock, probe);
  Messages messages;
  EventList events;
  // The settings as the window's fields and the batch mode's --set hold them.
  session::SessionSettings session;
  session::StoredSettings& fields = session.stored;
  // 12 notes a major second apart from C4, in as many programs as it takes.
  fields.notes = {true, false, true, false, true, false, true, false, true, false, true, false};
  fields.octaves[4] = fields.octaves[5] = true;
  const int programs = (o.events + 11) / 12;
  fields.programs = QString::fromStdString(programs == 1 ? "0" : "0-" + std::to_string(programs - 1));
  fields.channel = "1";
  fields.velocity = "127";
  fields.duration = QString::number(o.durationMs);
  fields.decay = QString::number(o.decayMs);
  fields.rate = "44 kHz";
  fields.bits = "16";
  fields.channels = "Stereo";
  fields.embedded = true;
  fields.gear = "Timing";
  fields.folder = QString::fromStdString(folder);
  session.midiDevice = entry;
  const PlainRunSettings settings = session::RunSettingsOf(session);
  RunController controller(events, settings, midi, recorder, timedClock, messages);
  Files files(probe);
  controller.AddObserver(&files);
  EventSelection selection = session::SelectionOf(session);
  controller.GenerateEvents(selection, true);

  std::printf("Path %s, clock %s: %d events of %d ms + %d ms decay, 44100 Hz 16 bits stereo, unity note embedded\n",
              o.path.c_str(), o.clock.c_str(), o.events, o.durationMs, o.decayMs);
  // The run is cut to the number of events asked for: STOP once enough were saved.
  class Enough : public RunObserver {
   public:
    Enough(RunController& c, int n) : controller_(c), left_(n) {}
    void TakeSaved(const SavedTake&) override {
      if (--left_ == 0) controller_.Stop();
    }

   private:
    RunController& controller_;
    int left_;
  } enough(controller, o.events);
  controller.AddObserver(&enough);
  const double start = WallSeconds();
  controller.StartOrSuspend();
  const double wall = WallSeconds() - start;
  const RunResult result = controller.LastResult().value_or(RunResult{});
  if (result.outcome == RunOutcome::EventFailed || result.outcome == RunOutcome::MidiOpenFailed ||
      result.outcome == RunOutcome::FoldersFailed) {
    std::fprintf(stderr, "timing_bench: the run failed: %s\n", result.message.c_str());
    return 1;
  }

  const double asked = (o.durationMs + o.decayMs) / 1000.0;
  std::vector<Row> rows;
  std::printf("\n  #  note  length-(d+c)  onset delay  dead time  held error  CPU waiting\n");
  for (std::size_t i = 0; i < probe.events.size(); ++i) {
    const EventStamps& e = probe.events[i];
    if (e.file.empty()) continue;
    Row r;
    r.name = std::to_string(e.note);
    const Take take = ReadTake(e.file);
    r.lengthExcess = take.seconds - asked;
    // The take ends when the recording is stopped, so the note on lies
    // length - (stop - note on) into it (exact for the built-in instrument,
    // within one server period on JACK).
    if (take.onsetSeconds >= 0) r.onsetDelay = take.onsetSeconds - (take.seconds - (e.stopCalled - e.noteOn));
    // After a failed attempt the gap holds the deliberate pause before the retake, not dead time.
    if (i > 0 && probe.events[i - 1].stopCalled > 0 && !probe.events[i - 1].stopFailed) {
      const EventStamps& p = probe.events[i - 1];
      r.pause = e.pauseBefore > 0 ? e.pauseBefore : NAN;
      r.deadTime = e.recordReturned - p.stopCalled - e.pauseBefore;
      r.stopping = p.stopReturned - p.stopCalled;
      r.saving = p.saveReturned - p.saveCalled;
      r.closing = p.closeReturned - p.closeCalled;
      r.tagging = e.newCalled - p.closeReturned - e.pauseBefore;  // embedding, renaming, yields, the next row
      r.opening = e.newReturned - e.newCalled;
      r.starting = e.recordReturned - e.newReturned;
    }
    r.heldError = (e.noteOff - e.noteOn) - o.durationMs / 1000.0;
    const double waitWall = (e.holdEnd - e.holdStart) + (e.decayEnd - e.decayStart);
    const double waitCpu = (e.cpuHoldEnd - e.cpuHoldStart) + (e.cpuDecayEnd - e.cpuDecayStart);
    if (waitWall > 0) r.cpuShare = waitCpu / waitWall;
    std::printf("%3zu  %4s  %+9.1f ms  %8.1f ms  %6.1f ms  %+7.2f ms  %8.2f %%\n", i + 1, r.name.c_str(),
                r.lengthExcess * 1000, r.onsetDelay * 1000, r.deadTime * 1000, r.heldError * 1000, r.cpuShare * 100);
    rows.push_back(r);
  }

  struct Line {
    const char* what;
    double Row::*field;
    double scale;
    const char* unit;
    double target;  // on the worst magnitude; 0: no target
  };
  const Line lines[] = {
      {"take length - (duration + decay)", &Row::lengthExcess, 1000, "ms", 0},
      {"note on -> onset in the take", &Row::onsetDelay, 1000, "ms", 0},
      {"dead time between takes", &Row::deadTime, 1000, "ms", 50},
      {"  of it: stopping the recording", &Row::stopping, 1000, "ms", 0},
      {"  saving the take", &Row::saving, 1000, "ms", 0},
      {"  closing the recorder", &Row::closing, 1000, "ms", 0},
      {"  tagging, moving into place, next row", &Row::tagging, 1000, "ms", 0},
      {"  new recording (opening the input)", &Row::opening, 1000, "ms", 0},
      {"  format and start", &Row::starting, 1000, "ms", 0},
      {"deliberate pause (apart from dead time)", &Row::pause, 1000, "ms", 0},
      {"held note length error", &Row::heldError, 1000, "ms", 2},
      {"CPU while waiting (share of a core)", &Row::cpuShare, 100, "%", 5},
  };
  std::printf("\n%-38s %10s %10s   target\n", "", "median", "worst");
  bool met = true;
  for (const Line& line : lines) {
    const Summary s = Summarise(rows, line.field);
    if (std::isnan(s.median)) {
      std::printf("%-38s %10s\n", line.what, "none");
      continue;
    }
    std::string verdict;
    if (line.target > 0) {
      const bool ok = std::fabs(s.worst * line.scale) <= line.target;
      met = met && ok;
      char text[64];
      std::snprintf(text, sizeof text, "%s %g %s", ok ? "met:" : "MISSED:", line.target, line.unit);
      verdict = text;
    }
    std::printf("%-38s %7.2f %-2s %7.2f %-2s   %s\n", line.what, s.median * line.scale, line.unit,
                s.worst * line.scale, line.unit, verdict.c_str());
  }
  std::printf("%zu takes in %.1f s of wall time (%.2f s per event, %.2f s asked)\n", rows.size(), wall,
              wall / std::max<std::size_t>(rows.size(), 1), asked);
  const auto retakes = std::count_if(probe.events.begin(), probe.events.end(), [](const EventStamps& e) { return e.stopFailed; });
  std::printf("takes made again after lost audio: %td of %zu events (%.2f %%)\n", retakes, rows.size(),
              100.0 * static_cast<double>(retakes) / static_cast<double>(std::max<std::size_t>(rows.size(), 1)));
  return met ? 0 : 3;
}

}  // namespace
}  // namespace ntr::bench

int main(int argc, char** argv) { return ntr::bench::Main(argc, argv); }
