#pragma once
// The key table: every setting the program stores, given once with its group,
// its key, its first-start value, how a stored text is read (mended where it
// does not fit, as the window always did) and how a `--set` text is checked
// (strictly). Loading, saving, the first start, `--set` and `--help` all go
// through it, so a new setting is one entry here plus the code that uses it.

#include <QString>
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

struct SettingKey {
  std::string_view group;   // kSettingsGroup for the window's fields, else a group of its own
  std::string_view name;    // the key as stored
  std::string_view values;  // what --set takes, for --help and the error messages
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
};

// In the order the settings file holds them: the window's fields, "MidiDev",
// then the groups of their own.
const std::vector<SettingKey>& SettingKeys();

// The key called `name`, without regard to case; a key of a group of its own
// may also be named "Group/Key". nullptr when there is none.
const SettingKey* FindSettingKey(std::string_view name);

// One --set Key=Value. Throws SettingError naming the key and what it takes.
void ApplyOverride(SessionSettings& settings, const std::string& key, const std::string& value);

}  // namespace ntr::session
