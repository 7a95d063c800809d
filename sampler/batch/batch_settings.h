#pragma once
// The seventeen settings as the unattended mode uses them: read from the
// user's store (or a settings file) the way the window reads them at
// start-up, then changed by --set Key=Value. The store is never written.

#include <array>
#include <string>
#include <string_view>

#include "batch/command_line.h"
#include "engine/event_list.h"
#include "engine/run_settings.h"
#include "ui/settings_store.h"

namespace ntr::batch {

struct BatchSettings {
  ui::StoredSettings stored;
  int midiDevice = 0;  // "MidiDev": the "MIDI Devices" menu entry, 0 = the built-in synthesizer
};

// What the window shows after its load: the first-start values when nothing
// was saved (the embed box then keeps its initial state, checked), otherwise
// the stored values mended as the window mends them; "MidiDev" as stored.
BatchSettings ReadStoredSettings(const ui::SettingsStore& store);

// One --set. The key is matched without regard to case; the value must have
// the key's format (see SettingKeys). Throws BatchError (kExitUsage) naming
// the key and the values it takes.
void ApplyOverride(BatchSettings& settings, const KeyValue& override);

struct SettingKey {
  std::string_view key;
  std::string_view values;  // what --set accepts, for --help and the error messages
};
// The seventeen keys in the order the settings file holds them.
const std::array<SettingKey, 17>& SettingKeys();

// The window's fields as "Generate Events" reads them.
EventSelection SelectionOf(const BatchSettings& settings);
// The window's values as a run reads them.
PlainRunSettings RunSettingsOf(const BatchSettings& settings);

}  // namespace ntr::batch
