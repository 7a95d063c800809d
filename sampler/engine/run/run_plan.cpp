// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_plan.h"

#include <algorithm>
#include <exception>

#include "engine/run/free_space.h"
#include "engine/run/leftover_takes.h"
#include "engine/run/prepare_folders.h"
#include "engine/run/run_estimate.h"
#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

// Where the run's files go and which programs it visits, as the settings and
// the list are at START.
RunPlan Layout(const RunSettingsSource& settings, const EventList& events, const RunOptions& options) {
  RunPlan plan;
  plan.saveFolder = settings.SaveFolder();
  plan.instrumentPath = InstrumentPath(plan.saveFolder, settings.InstrumentName());
  plan.singlePass = IsProgramListEmpty(settings.ProgramListText());
  if (plan.singlePass) {
    plan.programTags.emplace_back(kSinglePassTag);
  } else {
    plan.programSlots = events.Slots();
    for (const int program : plan.programSlots.PatchSlots) {
      if (program != kEmptySlot) plan.programTags.push_back(ProgramTag(program));
    }
  }
  plan.pauseAfterProgramChange = plan.singlePass ? 0.0 : std::max(options.pauseAfterProgramChangeMs, 0) / 1000.0;
  return plan;
}

RunRefusal Refusal(RunOutcome outcome, const std::exception& error) {
  return RunRefusal{outcome, std::string(error.what()) + "\n\nNothing was played.", kAppTitle};
}

// The takes already made (when the run skips them), what is left, and its cost.
void CountWorkLeft(RunPlan& plan, const RunSettingsSource& settings, const EventList& events, const RunOptions& options,
                   bool embedNote) {
  const RunEvents runEvents{events.Rows(), plan.programTags, plan.instrumentPath, settings.Format(), embedNote};
  if (options.skipTakesAlreadyMade) plan.alreadyMade = TakesAlreadyMade(runEvents);
  plan.work = WorkLeftOf(runEvents, plan.alreadyMade);
  plan.overheadLeftSeconds = RunOverheadLeftSeconds(runEvents, plan.alreadyMade, !plan.singlePass, options);
}

}  // namespace

PlannedRun PlanRun(const RunSettingsSource& settings, const EventList& events, const RunOptions& options,
                   bool embedNote, const PlanPorts& ports) {
  PlannedRun planned{Layout(settings, events, options), std::nullopt};
  RunPlan& plan = planned.plan;
  // A chosen input that is gone is said before anything is made or played.
  try {
    ports.recorder.UseAudioInput(options.audioInput);
  } catch (const DeviceError& error) {
    planned.refusal = Refusal(RunOutcome::InputMissing, error);
    return planned;
  }
  try {
    PrepareFolders(plan.saveFolder, plan.instrumentPath, plan.programTags);
  } catch (const FolderError& error) {
    planned.refusal = Refusal(RunOutcome::FoldersFailed, error);
    return planned;
  }

  std::vector<std::string> programFolders;
  for (const std::string& tag : plan.programTags) programFolders.push_back(ProgramFolder(plan.instrumentPath, tag));
  plan.leftoversRemoved = RemoveLeftoverTakes(programFolders);
  CountWorkLeft(plan, settings, events, options, embedNote);

  if (const auto shortfall = CheckFreeSpace(plan.saveFolder, plan.work.bytes)) {
    const std::string message = NotEnoughSpaceMessage(plan.saveFolder, *shortfall);
    if (!ports.messages.AskYesNo(kAppTitle, message + "\n\nStart the run all the same?")) {
      planned.refusal = RunRefusal{RunOutcome::NotEnoughSpace, message + " Nothing was played.", kAppTitle,
                                   MessageIcon::Critical, true};
      return planned;
    }
  }

  // The options are read once, at START; a fast run goes back to real time
  // when the plan goes, after the output has closed.
  ports.midi.UseSoundFont(options.soundFont);
  ports.midi.UseSampleRate(settings.Format().samplesPerSec);
  plan.fastRun = std::make_unique<FastRun>(options.renderFast, ports.midi, ports.capture, ports.realTime);

  const int code = ports.midi.OpenMidiOutput();
  if (code != 0) {
    std::string message = "Couldn't open midi out, MIDI_RetCode = " + std::to_string(code);
    const std::string reason = ports.midi.LastOpenError();
    if (!reason.empty()) message += "\n" + reason;
    planned.refusal = RunRefusal{RunOutcome::MidiOpenFailed, message, kShortTitle, MessageIcon::None};
  }
  return planned;
}

}  // namespace ntr
