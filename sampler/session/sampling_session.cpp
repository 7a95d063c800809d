// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/sampling_session.h"

#include <cstdio>

#include "session/slider_geometry.h"

namespace ntr::session {

namespace {

void WarnOnStderr(const std::string& line) { std::fprintf(stderr, "NTR: %s\n", line.c_str()); }

}  // namespace

SamplingSession::SamplingSession(const SessionPorts& ports, std::function<SessionSettings()> settings,
                                 std::function<RunDevices()> devices, SleepInhibitor::Warn warn)
    : ports_(ports),
      settings_(std::move(settings)),
      runSettings_(settings_),
      controller_(events_, runSettings_, ports.midi, ports.recorder, ports.clock, ports.messages),
      report_(settings_, std::move(devices)),
      sleepInhibitor_(warn ? std::move(warn) : SleepInhibitor::Warn(WarnOnStderr)),
      instrumentFiles_(settings_) {
  // The instrument files are made (and checked) at the run's end before the
  // report is written, so the report holds their check; the report comes
  // before every front end's observer.
  controller_.AddObserver(&instrumentFiles_);
  controller_.AddObserver(&report_);
  controller_.AddObserver(&sleepInhibitor_);
  report_.SetInstrumentCheck([this] { return instrumentFiles_.Check(); });
}

SamplingSession::~SamplingSession() {
  controller_.RemoveObserver(&sleepInhibitor_);
  controller_.RemoveObserver(&report_);
  controller_.RemoveObserver(&instrumentFiles_);
}

StoredSettings SamplingSession::GenerateEvents(bool clearFirst) {
  const SessionSettings settings = settings_();
  EventSelection selection = SelectionOf(settings);
  controller_.GenerateEvents(selection, clearFirst);
  StoredSettings fields = settings.stored;
  TakeNormalisedFields(fields, selection);
  return fields;
}

void SamplingSession::ApplyLevels(const StoredSettings& fields) {
  for (int i = 0; i < kSliderCount; ++i) ApplyKnobLevel(ports_.mixer, i, fields.knobTops[static_cast<std::size_t>(i)]);
}

}  // namespace ntr::session
