// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values a run reads, drawn from the settings (the window's fields and
// the options of groups of their own). The session's LiveRunSettings
// (session/run_setup.h) asks the front end's settings of the moment at each
// read; PlainRunSettings holds fixed values, for a one-off read
// (session::RunSettingsOf) and for the engine's tests and benchmarks.
//
// When each is read: the save folder, instrument name, program list,
// velocity, channel, embed flag and options once, when START is clicked (the
// options also by "Generate Events", for the estimate); the recording format
// at every event (a format changed while suspended applies from the next
// event).

#include <string>

#include "engine/ports.h"
#include "engine/run/run_options.h"

namespace ntr {

class RunSettingsSource {
 public:
  virtual ~RunSettingsSource() = default;
  virtual std::string SaveFolder() const = 0;       // txtFolder, as typed
  virtual std::string InstrumentName() const = 0;   // txtGear
  virtual std::string ProgramListText() const = 0;  // txtPatches: empty (blanks only) means a single pass
  virtual std::string VelocityText() const = 0;     // txtKeyVelocity
  virtual std::string ChannelText() const = 0;      // dbcMidiChannell, "1".."16"
  virtual bool EmbedNote() const = 0;               // chSmpl
  virtual RecordingFormat Format() const = 0;       // dbcSampleRate / dbcSampleBits / dbcSampleMode
  virtual RunOptions Options() const = 0;           // the settings of groups of their own
};

struct PlainRunSettings : RunSettingsSource {
  std::string saveFolder;
  std::string instrumentName;
  std::string programList;
  std::string velocity = "127";
  std::string channel = "1";
  bool embedNote = false;
  RecordingFormat format;
  RunOptions options;

  std::string SaveFolder() const override { return saveFolder; }
  std::string InstrumentName() const override { return instrumentName; }
  std::string ProgramListText() const override { return programList; }
  std::string VelocityText() const override { return velocity; }
  std::string ChannelText() const override { return channel; }
  bool EmbedNote() const override { return embedNote; }
  RecordingFormat Format() const override { return format; }
  RunOptions Options() const override { return options; }
};

}  // namespace ntr
