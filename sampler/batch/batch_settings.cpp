#include "batch/batch_settings.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "batch/exit_codes.h"
#include "engine/midi_device_menu.h"
#include "engine/text_numbers.h"
#include "ui/slider_geometry.h"

namespace ntr::batch {

namespace {

constexpr std::array<SettingKey, 17> kKeys = {{
    {"Notes", "24 digits, \"00\" or \"01\" for each of C C# D D# E F F# G G# A A# B"},
    {"Octaves", "22 digits, \"00\" or \"01\" for each octave 0 to 10"},
    {"Channel", "MIDI channel 1 to 16"},
    {"Programs", "program list such as \"0-127\", \"0,40\" or \"\" (one pass, no program change)"},
    {"Velocity", "0 to 127"},
    {"Duration", "milliseconds the note is held, 0 to 32000"},
    {"Decay", "milliseconds recorded after the note off, 0 to 32000"},
    {"Rate", "\"11 kHz\", \"22 kHz\" or \"44 kHz\" (or 11025, 22050, 44100)"},
    {"Bits", "8 or 16"},
    {"Channels", "Mono or Stereo"},
    {"Embedded", "-1 (unity note in every file) or 0"},
    {"Gear", "instrument name (a folder of that name, blanks as \"_\")"},
    {"Folder", "the folder that receives the samples"},
    {"LineVolume", "line-input knob position, 4260 (loudest) to 5415 (quietest)"},
    {"MicVolume", "microphone knob position, 4260 (loudest) to 5415 (quietest)"},
    {"OutVolume", "output volume knob position, 4260 (loudest) to 5415 (quietest)"},
    {"MidiDev", "\"MIDI Devices\" entry 0 to 9 (0 is the built-in synthesizer)"},
}};

// The embed box of the window is checked until settings say otherwise.
constexpr bool kEmbedBoxInitiallyChecked = true;

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

[[noreturn]] void Refuse(std::string_view key, const std::string& value) {
  std::string values;
  for (const SettingKey& k : kKeys) {
    if (k.key == key) values = std::string(k.values);
  }
  throw BatchError(kExitUsage, "--set " + std::string(key) + "=" + value + ": " + std::string(key) + " takes " + values);
}

template <std::size_t N>
void ApplyBoxes(std::string_view key, const std::string& value, std::array<bool, N>& boxes) {
  if (value.size() != 2 * N) Refuse(key, value);
  std::array<bool, N> parsed{};
  for (std::size_t i = 0; i < N; ++i) {
    const std::string pair = value.substr(2 * i, 2);
    if (!std::isdigit(static_cast<unsigned char>(pair[0])) || !std::isdigit(static_cast<unsigned char>(pair[1]))) {
      Refuse(key, value);
    }
    parsed[i] = pair != "00";
  }
  boxes = parsed;
}

QString WholeNumber(std::string_view key, const std::string& value, std::int64_t lo, std::int64_t hi) {
  const auto number = WholeNumberInRange(value, lo, hi);
  if (!number) Refuse(key, value);
  return QString::number(*number);
}

std::string Squeezed(const std::string& value) {
  std::string text;
  for (const char c : value) {
    if (c != ' ') text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// A row of a format list by its shown text (without regard to case or blanks) or by its value.
template <std::size_t N>
QString ListRowText(std::string_view key, const std::string& value, const std::array<ui::ListRow, N>& rows) {
  for (const ui::ListRow& row : rows) {
    if (Squeezed(value) == Squeezed(row.shown) || TrimBlanks(value) == std::to_string(row.value)) {
      return QString::fromLatin1(row.shown);
    }
  }
  Refuse(key, value);
}

int KnobTop(std::string_view key, const std::string& value, int slider) {
  const ui::SliderGeometry& g = ui::kSliders.at(static_cast<std::size_t>(slider));
  const auto top = WholeNumberInRange(value, g.trackTop, g.LowestKnobTop());
  if (!top) Refuse(key, value);
  return static_cast<int>(*top);
}

bool IsProgramListText(const std::string& value) {
  return std::all_of(value.begin(), value.end(), [](char c) {
    return c == ' ' || c == ',' || c == '-' || std::isdigit(static_cast<unsigned char>(c));
  });
}

QString Text(const std::string& value) { return QString::fromStdString(value); }

template <std::size_t N>
int ValueOf(const QString& shown, const std::array<ui::ListRow, N>& rows) {
  for (const ui::ListRow& row : rows) {
    if (shown == QLatin1String(row.shown)) return row.value;
  }
  return rows.back().value;
}

}  // namespace

const std::array<SettingKey, 17>& SettingKeys() { return kKeys; }

BatchSettings ReadStoredSettings(const ui::SettingsStore& store) {
  BatchSettings settings;
  if (store.IsFirstStart()) {
    settings.stored = ui::FirstStartSettings();
    settings.stored.embedded = kEmbedBoxInitiallyChecked;
  } else {
    settings.stored = store.Load();
  }
  settings.midiDevice = store.LoadMidiDevice();
  return settings;
}

void ApplyOverride(BatchSettings& settings, const KeyValue& override) {
  const std::string& value = override.value;
  ui::StoredSettings& s = settings.stored;
  const auto is = [&override](std::string_view key) { return SameKey(override.key, key); };

  if (is("Notes")) {
    ApplyBoxes("Notes", value, s.notes);
  } else if (is("Octaves")) {
    ApplyBoxes("Octaves", value, s.octaves);
  } else if (is("Channel")) {
    s.channel = WholeNumber("Channel", value, 1, 16);
  } else if (is("Programs")) {
    if (!IsProgramListText(value)) Refuse("Programs", value);
    s.programs = Text(value);
  } else if (is("Velocity")) {
    s.velocity = WholeNumber("Velocity", value, 0, 127);
  } else if (is("Duration")) {
    s.duration = WholeNumber("Duration", value, 0, 32000);
  } else if (is("Decay")) {
    s.decay = WholeNumber("Decay", value, 0, 32000);
  } else if (is("Rate")) {
    s.rate = ListRowText("Rate", value, ui::kSampleRateRows);
  } else if (is("Bits")) {
    s.bits = ListRowText("Bits", value, ui::kSampleBitsRows);
  } else if (is("Channels")) {
    s.channels = ListRowText("Channels", value, ui::kSampleModeRows);
  } else if (is("Embedded")) {
    const auto number = WholeNumberInRange(value, -32768, 32767);
    if (!number) Refuse("Embedded", value);
    s.embedded = *number != 0;
  } else if (is("Gear")) {
    s.gear = Text(value);
  } else if (is("Folder")) {
    if (TrimBlanks(value).empty()) Refuse("Folder", value);
    s.folder = Text(value);
  } else if (is("LineVolume")) {
    s.knobTops[0] = KnobTop("LineVolume", value, 0);
  } else if (is("MicVolume")) {
    s.knobTops[1] = KnobTop("MicVolume", value, 1);
  } else if (is("OutVolume")) {
    s.knobTops[2] = KnobTop("OutVolume", value, 2);
  } else if (is("MidiDev")) {
    settings.midiDevice = static_cast<int>(WholeNumber("MidiDev", value, 0, kLastMidiMenuEntry).toInt());
  } else {
    std::string keys;
    for (const SettingKey& k : kKeys) keys += (keys.empty() ? "" : ", ") + std::string(k.key);
    throw BatchError(kExitUsage, "--set " + override.key + "=" + value + ": there is no setting \"" + override.key +
                                     "\"; the settings are " + keys);
  }
}

EventSelection SelectionOf(const BatchSettings& settings) {
  const ui::StoredSettings& s = settings.stored;
  EventSelection selection;
  selection.notes = s.notes;
  selection.octaves = s.octaves;
  selection.velocity = s.velocity.toStdString();
  selection.duration = s.duration.toStdString();
  selection.decay = s.decay.toStdString();
  selection.channel = s.channel.toStdString();
  selection.programList = s.programs.toStdString();
  return selection;
}

PlainRunSettings RunSettingsOf(const BatchSettings& settings) {
  const ui::StoredSettings& s = settings.stored;
  PlainRunSettings run;
  run.saveFolder = s.folder.toStdString();
  run.instrumentName = s.gear.toStdString();
  run.programList = s.programs.toStdString();
  run.velocity = s.velocity.toStdString();
  run.channel = s.channel.toStdString();
  run.embedNote = s.embedded;
  run.format.samplesPerSec = ValueOf(s.rate, ui::kSampleRateRows);
  run.format.bitsPerSample = ValueOf(s.bits, ui::kSampleBitsRows);
  run.format.channels = ValueOf(s.channels, ui::kSampleModeRows);
  return run;
}

}  // namespace ntr::batch
