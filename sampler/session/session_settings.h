// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the program's settings hold, as one value that the window, the
// batch mode and the run share: the window's fields ("Parameters"), the
// "MIDI Devices" entry and the options of groups of their own. QtCore only.

#include <QString>
#include <array>

#include "engine/events/midi_device_menu.h"
#include "engine/run/run_options.h"

namespace ntr::session {

inline constexpr const char* kSettingsApplication = "NTR - Notarra";
inline constexpr const char* kSettingsGroup = "Parameters";

// The rows of the three format lists, first column shown, second the value
// (a sample size of 32 is IEEE float). The rows added to a list stand after
// the ones it always had, so a stored text keeps meaning the same row.
struct ListRow {
  const char* shown;
  int value;
};
inline constexpr std::array<ListRow, 6> kSampleRateRows = {
    {{"11 kHz", 11025}, {"22 kHz", 22050}, {"44 kHz", 44100}, {"48 kHz", 48000}, {"88.2 kHz", 88200}, {"96 kHz", 96000}}};
inline constexpr std::array<ListRow, 4> kSampleBitsRows = {{{"8", 8}, {"16", 16}, {"24", 24}, {"32 float", 32}}};
inline constexpr std::array<ListRow, 2> kSampleModeRows = {{{"Mono", 1}, {"Stereo", 2}}};

// The row each list shows at a first start, which a stored text that no row
// shows (one of a newer build) falls back to as well: "44 kHz", "16", "Stereo".
inline constexpr ListRow kFirstStartRate = kSampleRateRows[2];
inline constexpr ListRow kFirstStartBits = kSampleBitsRows[1];
inline constexpr ListRow kFirstStartMode = kSampleModeRows[1];

// The window's embed box is checked until settings say otherwise, so a first
// start (which has no stored "Embedded") embeds the unity note.
inline constexpr bool kEmbedBoxInitiallyChecked = true;

// The values of the window's fields, as "Save Settings" stores them.
struct StoredSettings {
  std::array<bool, 12> notes{};    // "Notes": chNote 0..11 checked
  std::array<bool, 11> octaves{};  // "Octaves": chOctave 0..10 selected
  QString channel;                 // "Channel": "1".."16"
  QString programs;                // "Programs"
  QString velocity;                // "Velocity"
  QString duration;                // "Duration"
  QString decay;                   // "Decay"
  QString rate;                    // "Rate": a shown text of the sample-rate list
  QString bits;                    // "Bits"
  QString channels;                // "Channels"
  bool embedded = false;           // "Embedded"
  QString gear;                    // "Gear": instrument name
  QString folder;                  // "Folder": where the samples go
  std::array<int, 3> knobTops{};   // "LineVolume", "MicVolume", "OutVolume": knob tops in twips

  bool operator==(const StoredSettings&) const = default;
};

struct SessionSettings {
  StoredSettings stored;
  int midiDevice = kBuiltInSynthEntry;  // "MidiDev"
  RunOptions options;                   // the groups of their own (see setting_keys.cpp)

  bool operator==(const SessionSettings&) const = default;
};

// The values of a first start. The save folder is "SAMPLES" in the user's
// home ("C:\SAMPLES" on Windows). "Embedded" has no first-start value: the
// window keeps its box's initial state (kEmbedBoxInitiallyChecked).
StoredSettings FirstStartSettings();
QString DefaultSaveFolder();

// The settings texts of the note and octave boxes: "00"/"01" per box.
QString BoxesText(const bool* boxes, int count);

// The value of the row that shows `shown` (the fallback's when none does).
template <std::size_t N>
int RowValue(const QString& shown, const std::array<ListRow, N>& rows, const ListRow& fallback) {
  for (const ListRow& row : rows) {
    if (shown == QLatin1String(row.shown)) return row.value;
  }
  return fallback.value;
}

}  // namespace ntr::session
