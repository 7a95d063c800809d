// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's values that a run reads. The window implements this over its
// fields; the batch mode and the tests use PlainRunSettings.
//
// When each is read: the save folder, instrument name, program list,
// velocity, channel, embed flag and options once, when START is clicked; the
// recording format at every event (a format changed while suspended applies
// from the next event).

#include <string>

#include "engine/ports.h"
#include "engine/run_options.h"

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
