// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/engine_run.h"

#include <algorithm>
#include <filesystem>

#include "engine/events/event_list.h"
#include "engine/run/run_controller.h"

namespace ntr::test {

namespace {

struct CollectedMessages : MessagePort {
  std::vector<std::string> texts;
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon) override {
    texts.push_back(title + ": " + text);
  }
};

}  // namespace

EngineRun RunEngine(DeviceLayer& devices, ClockPort& clock, PlainRunSettings settings,
                    const std::vector<int>& notes, const std::string& durationMs, const std::string& decayMs,
                    RunObserver* observer) {
  EventSelection selection;
  for (const int note : notes) {
    selection.notes[static_cast<std::size_t>(note % 12)] = true;
    selection.octaves[static_cast<std::size_t>(note / 12)] = true;
  }
  selection.velocity = settings.velocity;
  selection.channel = settings.channel;
  selection.duration = durationMs;
  selection.decay = decayMs;
  selection.programList = settings.programList;

  EventList events;
  CollectedMessages messages;
  RunController run(events, settings, devices.Midi(), devices.Recorder(), clock, messages);
  run.GenerateEvents(selection, true);
  if (observer != nullptr) run.AddObserver(observer);
  run.StartOrSuspend();

  EngineRun outcome;
  if (run.LastResult()) outcome.result = *run.LastResult();
  outcome.messages = messages.texts;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(settings.saveFolder, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".WAV") outcome.files.push_back(entry.path().string());
  }
  std::sort(outcome.files.begin(), outcome.files.end());
  return outcome;
}

}  // namespace ntr::test
