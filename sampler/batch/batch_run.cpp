// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include <csignal>

#include "batch/command_line.h"
#include "batch/exit_codes.h"
#include "batch/terminal.h"
#include "engine/run/format_seconds.h"
#include "engine/events/midi_device_menu.h"
#include "engine/run/plural.h"
#include "engine/events/program_slots.h"
#include "engine/takes/sample_paths.h"
#include "engine/events/take_layers.h"
#include "engine/events/text_numbers.h"
#include "session/recording_source.h"
#include "session/run_refusal.h"
#include "session/run_setup.h"

namespace ntr::batch {

namespace {

std::string SignalName(int signal) {
  if (signal == SIGINT) return "Ctrl-C (SIGINT)";
  if (signal == SIGTERM) return "SIGTERM";
#ifdef SIGHUP
  if (signal == SIGHUP) return "SIGHUP (the terminal closed)";
#endif
  return "signal " + std::to_string(signal);
}

}  // namespace

void TerminalMessages::ShowMessage(const std::string& /*title*/, const std::string& text, MessageIcon /*icon*/) {
  // Continuation lines line up under the first; empty lines stay empty.
  std::string indented = "NTR: ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    indented += text[i];
    if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] != '\n') indented += "     ";
  }
  view_.Line(stderr, indented);
}

// Said on the terminal with the answer --force gives.
bool TerminalMessages::AskYesNo(const std::string& title, const std::string& text) {
  ShowMessage(title, text + (force_ ? " Yes (--force)." : " No: nothing was played (--force starts it all the same)."),
              MessageIcon::None);
  return force_;
}

BatchRun::BatchRun(const session::SessionSettings& settings, bool force)
    : settings_(settings),
      clock_([this] { OnYield(); }),
      view_(stdout, IsTerminal(stdout), TerminalColumns(stdout), clock_),
      messages_(view_, force),
      devices_(clock_),
      session_(
          {devices_.Midi(), devices_.Recorder(), clock_, messages_, mixer_}, [this] { return settings_; },
          [this] {
            return session::RunDevices{deviceCaption_, RecordingSource()};
          },
          [this](const std::string& line) { view_.Line(stderr, "NTR: " + line); }),
      controller_(session_.Controller()) {
  // After the session's report: a take the terminal calls saved is already in it, even if the run is killed then.
  controller_.AddObserver(&view_);
}

// The events as "Generate Events" makes them when the window opens; the
// number fields are normalised the same way (velocity "abc" -> "127", ...).
void BatchRun::Prepare() {
  settings_.stored = session_.GenerateEvents(true);
  runSettings_ = session::RunSettingsOf(settings_);

  const EventList& events = session_.Events();
  const bool singlePass = IsProgramListEmpty(runSettings_.programList);
  if (events.RowCount() == 0 || (!singlePass && events.Slots().PatchCount == 0)) {
    throw BatchError(kExitUsage,
                     "nothing to sample: the settings select no note (Notes, Octaves)" +
                         std::string(singlePass ? "" : " or no program (Programs \"" + runSettings_.programList + "\")"));
  }
}

// A device named in the settings that is not there fails now, with the list
// of what is there, rather than after the folders were made.
void BatchRun::CheckDevices() {
  const std::vector<std::string> captions = devices_.Midi().ListMidiDevices();
  if (settings_.midiDevice < 0 || static_cast<std::size_t>(settings_.midiDevice) >= captions.size()) {
    std::string found;
    for (std::size_t i = 0; i < captions.size(); ++i) found += "\n  " + std::to_string(i) + "  " + captions[i];
    throw BatchError(kExitDevice, "MIDI device " + std::to_string(settings_.midiDevice) +
                                      " (MidiDev) is not there. The \"MIDI Devices\" found now are:" + found +
                                      "\nPick one with --set MidiDev=N.");
  }
  deviceCaption_ = captions[static_cast<std::size_t>(settings_.midiDevice)];
  devices_.Midi().SelectMidiDevice(settings_.midiDevice);
  if (IsBuiltInSynthEntry(settings_.midiDevice)) {
    // The built-in synthesizer records its own output; its SoundFont (the
    // one chosen, or the system's) must load before any folder is made.
    // The synthesizer keeps it, so the run's own open is cheap.
    devices_.Midi().UseSoundFont(settings_.options.soundFont);
    if (devices_.Midi().OpenMidiOutput() != 0) {
      throw BatchError(kExitDevice, "the built-in synthesizer cannot play: " + devices_.Midi().LastOpenError());
    }
    devices_.Midi().CloseMidiOutput();
    return;
  }

  AudioInputRecorder& input = devices_.AudioInput();
  try {
    input.UseAudioInput(settings_.options.audioInput);
    input.NewRecording();
    input.SetFormat(runSettings_.format);
  } catch (const DeviceError& error) {
    input.Close();
    throw BatchError(kExitDevice, std::string("the audio input cannot record: ") + error.what());
  }
  input.Close();
}

// As the window does when it opens: the mixer turned down, then each level
// set from its knob. A machine without a mixer records at the levels it has.
void BatchRun::ApplyRecordingLevels() {
  if (!mixer_.OpenMixerDevice()) {
    view_.Line(stdout, "No mixer (" + mixer_.LastError() + "): the recording levels are left as they are.");
    return;
  }
  session_.ApplyLevels(settings_.stored);
}

// CheckDevices opened the chosen input once: the audio system's description of it is known.
std::string BatchRun::RecordingSource() {
  const bool input = !IsBuiltInSynthEntry(settings_.midiDevice);
  return session::RecordingSource(settings_, input ? devices_.AudioInput().SourceDescription() : std::string());
}

void BatchRun::PrintPlan() {
  const bool singlePass = IsProgramListEmpty(runSettings_.programList);
  const std::int64_t programs = singlePass ? 1 : session_.Events().Slots().PatchCount;
  const std::int64_t rows = static_cast<std::int64_t>(session_.Events().RowCount());
  const RunOptions& options = settings_.options;
  const bool layered = !TakeLayersOf(options.velocityLayers, options.roundRobins).Plain();
  const char* row = layered ? "take" : "note";
  std::string plan = "NTR batch run: " + Plural(programs * rows, "event");
  plan += singlePass ? " (" + Plural(rows, row) + ", no program change)"
                     : " (" + Plural(programs, "program") + " x " + Plural(rows, row) + ")";
  view_.Line(stdout, plan);
  if (layered) {
    const std::string velocities =
        TrimBlanks(options.velocityLayers).empty() ? settings_.stored.velocity.toStdString() : options.velocityLayers;
    view_.Line(stdout, "  Takes of every note: velocity " + velocities + " x " + Plural(options.roundRobins, "round"));
  }

  view_.Line(stdout, "  MIDI device " + std::to_string(settings_.midiDevice) + ": " + deviceCaption_ + ", recording " +
                         RecordingSource());
  if (settings_.options.renderFast) {
    // Only the built-in synthesizer renders its sound; any other device is played in real time.
    view_.Line(stdout, IsBuiltInSynthEntry(settings_.midiDevice)
                           ? "  Rendering faster than real time (the estimate below is real time)"
                           : "  Faster than real time: no effect with this MIDI device (only the built-in "
                             "synthesizer renders); the run is in real time");
  }
  if (IsBuiltInSynthEntry(settings_.midiDevice) && !settings_.options.soundFont.empty()) {
    view_.Line(stdout, "  SoundFont: " + settings_.options.soundFont);
  }
  const session::StoredSettings& s = settings_.stored;
  view_.Line(stdout, "  Format: " + s.rate.toStdString() + ", " + s.bits.toStdString() + " bits, " +
                         s.channels.toStdString() + "; velocity " + s.velocity.toStdString() + ", channel " +
                         s.channel.toStdString() + ", " + s.duration.toStdString() + " ms + " +
                         s.decay.toStdString() + " ms decay; unity note " + (s.embedded ? "embedded" : "not embedded"));
  view_.Line(stdout, "  Saving to: " + InstrumentPath(runSettings_.saveFolder, runSettings_.instrumentName));
  const std::string estimate = controller_.Progress().estimate;
  view_.Line(stdout, "  Estimated time: " + (estimate.empty() ? std::string("0\"") : estimate) +
                         "  (Ctrl-C stops after the note in progress)");
}

// Called on every yield of the run: many times a second while a note sounds.
void BatchRun::OnYield() {
  const int count = signals_.Count();
  if (count != signalsSeen_) {
    signalsSeen_ = count;
    if (controller_.RunActive()) {
      const std::string playing = controller_.Progress().nowPlaying;
      view_.Line(stderr, std::string(stopAnnounced_ ? "Still stopping" : "Stopping") + " (" +
                             SignalName(signals_.First()) + "): the note in progress" +
                             (playing.empty() ? std::string() : " (" + playing + ")") +
                             " is finished and saved first.");
      stopAnnounced_ = true;
      controller_.Stop();
    }
  }
  view_.Tick();
}

int BatchRun::Run() {
  Prepare();
  CheckDevices();
  ApplyRecordingLevels();
  PrintPlan();
  if (signals_.First() != 0) {
    view_.Line(stderr, "Stopped by " + SignalName(signals_.First()) + " before the first note; nothing was played.");
    return kExitSignalBase + signals_.First();
  }
  controller_.StartOrSuspend();
  RunResult notStarted;
  notStarted.outcome = RunOutcome::EventFailed;
  notStarted.message = "the run did not start";
  return Finish(controller_.LastResult().value_or(notStarted));
}

int BatchRun::Finish(const RunResult& result) {
  const std::string where = InstrumentPath(runSettings_.saveFolder, runSettings_.instrumentName);
  const std::string took = ElapsedText(view_.ElapsedSeconds());
  const std::string takes = Plural(result.takesSaved, "take");
  if (!session::RefusedBeforePlaying(result)) {
    view_.Line(stdout, "Summary: " + session::RunSummary(result) + ". " + session_.Report().Where());
    if (!session_.InstrumentFilesWhere().empty()) view_.Line(stdout, session_.InstrumentFilesWhere() + ".");
  }
  switch (result.outcome) {
    case RunOutcome::Completed:
      view_.Line(stdout, "Done: " + takes + " saved under " + where + " in " + took + ".");
      if (result.takesFailed > 0) {
        view_.Line(stderr, "NTR: " + Plural(result.takesFailed, "take") + " could not be saved (see the summary).");
        return kExitRunFailed;
      }
      return kExitDone;
    case RunOutcome::Stopped: {
      const int signal = signals_.First();
      view_.Line(stdout, "Stopped" + (signal != 0 ? " by " + SignalName(signal) : std::string()) + " after " +
                             std::to_string(result.takesSaved) + " of " + std::to_string(view_.EventsTotal()) +
                             " events, in " + took + "; the " + takes + " made are saved under " + where + ".");
      return signal != 0 ? kExitSignalBase + signal : kExitRunFailed;
    }
    case RunOutcome::FoldersFailed:
    case RunOutcome::NotEnoughSpace:
      return kExitFolder;
    case RunOutcome::MidiOpenFailed:
    case RunOutcome::InputMissing:
      return kExitDevice;
    case RunOutcome::EventFailed:
      view_.Line(stderr, "NTR: the run failed after " + takes + " (saved under " + where + ").");
      return kExitRunFailed;
    case RunOutcome::InstrumentSilent:
      return kExitDevice;
    case RunOutcome::CheckCancelled:
      return kExitRunFailed;
  }
  return kExitRunFailed;
}

}  // namespace ntr::batch
