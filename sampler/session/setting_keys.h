// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The key table: every setting the program stores, given once with its group,
// its key, its first-start value, how a stored text is read (mended where it
// does not fit, as the window always did) and how a `--set` text is checked
// (strictly). Loading, saving, the first start, `--set` and `--help` all go
// through it, so a new setting is one entry here plus the code that uses it.
//
// The settings types, from the disk to the run:
// - SettingKey: one stored key of this table: its group, name and texts, and
//   how it is loaded, checked for `--set`, stored and shown in a dialog.
// - OptionKey (setting_keys.cpp): the SettingKey of a group of its own, made
//   from one member of RunOptions; every key outside "Parameters" is one.
// - StoredSettings (session_settings.h): the window's fields as texts and
//   boxes, what "Save Settings" writes to "Parameters"; the window's fields
//   read and write it, "Generate Events" reads it through SelectionOf.
// - SessionSettings: everything stored, as one value: StoredSettings, the
//   "MidiDev" entry and RunOptions. SettingsStore loads and saves it through
//   this table; the window and the batch mode each hold the one they show or
//   run with.
// - RunOptions (engine/run_options.h): what a run does beyond the fields,
//   one member per key of a group of its own; the run controller reads it at
//   START (and "Generate Events" for its estimate).
// - RunSettings (engine/run_settings.h): the values a run reads, drawn from a
//   SessionSettings by session::RunSettingsOf (PlainRunSettings, fixed) or
//   LiveRunSettings (the front end's settings of the moment, at each read);
//   read by the run controller, and by "Make Instrument Files..." for its folder.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "session/session_settings.h"

namespace ntr::session {

// A --set that names no setting or gives a value its setting does not take;
// the message names the key and what it takes.
class SettingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The group of the settings of the "Instrument Options" dialog, which shows
// every key of it.
inline constexpr std::string_view kInstrumentGroup = "Instrument";

// What a key holds, for a dialog that edits it: a check box, a spin box
// within lo..hi, or a line of text.
enum class SettingKind { Flag, Number, Text };

struct SettingKey {
  std::string_view group;   // kSettingsGroup for the window's fields, else a group of its own
  std::string_view name;    // the key as stored
  std::string_view values;  // what --set takes, for --help, the error messages and a dialog's tool tip
  // The window's fields are written together by "Save Settings"; every other
  // key is written as soon as it is chosen (SettingsStore::SaveKey).
  bool savedWithFields = false;

  std::function<void(SessionSettings&)> firstStart;
  // The stored text (nullopt: absent) into the settings, mended where it does not fit.
  std::function<void(SessionSettings&, const std::optional<QString>&)> load;
  // A --set text into the settings; false (nothing changed) when it does not fit.
  std::function<bool(SessionSettings&, const std::string&)> parse;
  // The text that is stored.
  std::function<QString(const SessionSettings&)> text;

  // For a dialog (the keys of groups of their own): what it holds and the
  // range of a Number.
  SettingKind kind = SettingKind::Text;
  std::int64_t lo = 0;
  std::int64_t hi = 0;
  // Where a dialog shows it: under this heading ("" : none), and, for a text
  // left empty, this example as its placeholder ("" : none).
  std::string_view heading{};
  std::string_view example{};

  // The dialog's label, the key's name in words: "RoundRobins" -> "Round robins",
  // "FadeOutMs" -> "Fade out (ms)".
  std::string Label() const;
};

// In the order the settings file holds them: the window's fields, "MidiDev",
// then the groups of their own.
const std::vector<SettingKey>& SettingKeys();

// The keys of one group, in table order.
std::vector<const SettingKey*> KeysOfGroup(std::string_view group);

// The key called `name`, without regard to case; a key of a group of its own
// may also be named "Group/Key". nullptr when there is none.
const SettingKey* FindSettingKey(std::string_view name);

// One --set Key=Value. Throws SettingError naming the key and what it takes.
void ApplyOverride(SessionSettings& settings, const std::string& key, const std::string& value);

}  // namespace ntr::session
