// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/setting_keys.h"

#include <algorithm>
#include <cctype>
#include <type_traits>

#include "engine/events/take_layers.h"
#include "engine/events/text_numbers.h"
#include "session/slider_geometry.h"

namespace ntr::session {

namespace {

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<double> Number(const std::optional<QString>& text) {
  if (!text) return std::nullopt;
  return ParseNumber(text->toStdString());
}

QString Text(const std::string& value) { return QString::fromStdString(value); }

// ---- reading a stored text: what does not fit is mended -----------------------

// Box i from pair i of the text ("00" off, anything else that is a number on).
// A pair that is missing (a short or absent text) or not a number keeps the
// first-start value, so a damaged entry never leaves the selection empty by chance.
template <std::size_t N>
void LoadBoxes(const std::optional<QString>& text, std::array<bool, N>& boxes) {
  for (std::size_t i = 0; i < N; ++i) {
    const QString pair = text ? text->mid(static_cast<qsizetype>(2 * i), 2) : QString();
    const auto value = ParseNumber(pair.toStdString());
    if (value) boxes[i] = RoundHalfEven(*value) != 0.0;
  }
}

// A list shows a stored text only when one of its rows shows it; otherwise
// the list keeps its first-start row.
template <std::size_t N>
QString MatchingRow(const std::optional<QString>& text, const std::array<ListRow, N>& rows,
                    const ListRow& firstStart) {
  if (text) {
    for (const ListRow& row : rows) {
      if (*text == QLatin1String(row.shown)) return *text;
    }
  }
  return QLatin1String(firstStart.shown);
}

// ---- reading a --set text: what does not fit is refused -----------------------

template <std::size_t N>
bool ParseBoxes(const std::string& value, std::array<bool, N>& boxes) {
  if (value.size() != 2 * N) return false;
  std::array<bool, N> parsed{};
  for (std::size_t i = 0; i < N; ++i) {
    const std::string pair = value.substr(2 * i, 2);
    if (!std::isdigit(static_cast<unsigned char>(pair[0])) || !std::isdigit(static_cast<unsigned char>(pair[1]))) {
      return false;
    }
    parsed[i] = pair != "00";
  }
  boxes = parsed;
  return true;
}

bool ParseWholeNumber(const std::string& value, std::int64_t lo, std::int64_t hi, QString& into) {
  const auto number = WholeNumberInRange(value, lo, hi);
  if (!number) return false;
  into = QString::number(*number);
  return true;
}

std::string Squeezed(std::string_view value) {
  std::string text;
  for (const char c : value) {
    if (c != ' ') text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// A row of a format list by its shown text (without regard to case or blanks) or by its value.
template <std::size_t N>
bool ParseListRow(const std::string& value, const std::array<ListRow, N>& rows, QString& into) {
  for (const ListRow& row : rows) {
    if (Squeezed(value) == Squeezed(row.shown) || TrimBlanks(value) == std::to_string(row.value)) {
      into = QString::fromLatin1(row.shown);
      return true;
    }
  }
  return false;
}

bool IsProgramListText(const std::string& value) {
  return std::all_of(value.begin(), value.end(), [](char c) {
    return c == ' ' || c == ',' || c == '-' || std::isdigit(static_cast<unsigned char>(c));
  });
}

// ---- the entries -------------------------------------------------------------------

using Fields = StoredSettings;

// A window field the stored text is taken into as it stands (an absent key empties it).
SettingKey TextField(std::string_view name, std::string_view values, QString Fields::*field,
                     std::function<bool(const std::string&)> accepts) {
  return {kSettingsGroup, name, values, true, {},
          [field](SessionSettings& s, const std::optional<QString>& text) { s.stored.*field = text.value_or(QString()); },
          [field, accepts](SessionSettings& s, const std::string& value) {
            if (!accepts(value)) return false;
            s.stored.*field = Text(value);
            return true;
          },
          [field](const SessionSettings& s) { return s.stored.*field; }};
}

// A whole-number window field checked by --set only (the window takes any text and mends it when a run reads it).
SettingKey NumberField(std::string_view name, std::string_view values, QString Fields::*field, std::int64_t lo,
                       std::int64_t hi) {
  SettingKey key = TextField(name, values, field, [](const std::string&) { return true; });
  key.parse = [field, lo, hi](SessionSettings& s, const std::string& value) {
    return ParseWholeNumber(value, lo, hi, s.stored.*field);
  };
  return key;
}

template <std::size_t N>
SettingKey ListField(std::string_view name, std::string_view values, QString Fields::*field,
                     const std::array<ListRow, N>& rows, const ListRow& firstStart) {
  return {kSettingsGroup, name, values, true, {},
          [field, &rows, firstStart](SessionSettings& s, const std::optional<QString>& text) {
            s.stored.*field = MatchingRow(text, rows, firstStart);
          },
          [field, &rows](SessionSettings& s, const std::string& value) {
            return ParseListRow(value, rows, s.stored.*field);
          },
          [field](const SessionSettings& s) { return s.stored.*field; }};
}

template <std::size_t N>
SettingKey BoxesField(std::string_view name, std::string_view values, std::array<bool, N> Fields::*field) {
  return {kSettingsGroup, name, values, true, {},
          [field](SessionSettings& s, const std::optional<QString>& text) { LoadBoxes(text, s.stored.*field); },
          [field](SessionSettings& s, const std::string& value) { return ParseBoxes(value, s.stored.*field); },
          [field](const SessionSettings& s) {
            return BoxesText((s.stored.*field).data(), static_cast<int>((s.stored.*field).size()));
          }};
}

SettingKey KnobField(std::string_view name, std::string_view values, int slider) {
  const auto i = static_cast<std::size_t>(slider);
  return {kSettingsGroup, name, values, true, {},
          [i, slider](SessionSettings& s, const std::optional<QString>& text) {
            const auto top = Number(text);
            s.stored.knobTops[i] = top ? ClampKnobTop(slider, *top) : DefaultKnobTop(slider);
          },
          [i](SessionSettings& s, const std::string& value) {
            const SliderGeometry& g = kSliders.at(i);
            const auto top = WholeNumberInRange(value, g.trackTop, g.LowestKnobTop());
            if (!top) return false;
            s.stored.knobTops[i] = static_cast<int>(*top);
            return true;
          },
          [i](const SessionSettings& s) {
            // Stored as the single-precision number the knob's position always was.
            return QString::number(static_cast<double>(static_cast<float>(s.stored.knobTops[i])));
          }};
}

// A setting of a group of its own, held in a member of RunOptions: a flag
// (stored "1"/"0"; --set also takes true/false, yes/no, on/off), a whole
// number within lo..hi, or a text. A stored text that does not fit gives the
// first-start value.
std::optional<bool> FlagText(const std::string& value) {
  const std::string text = Squeezed(value);
  if (text == "1" || text == "-1" || text == "true" || text == "yes" || text == "on") return true;
  if (text == "0" || text == "false" || text == "no" || text == "off") return false;
  return std::nullopt;
}

template <typename T>
std::optional<T> OptionValue(const std::string& value, std::int64_t lo, std::int64_t hi) {
  if constexpr (std::is_same_v<T, bool>) {
    return FlagText(value);
  } else if constexpr (std::is_same_v<T, int>) {
    const auto number = WholeNumberInRange(value, lo, hi);
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
  } else {
    return value;
  }
}

template <typename T>
QString OptionText(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
  } else if constexpr (std::is_same_v<T, int>) {
    return QString::number(value);
  } else {
    return QString::fromStdString(value);
  }
}

template <typename T>
SettingKey OptionKey(std::string_view group, std::string_view name, std::string_view values, T RunOptions::*field,
                     T first, std::int64_t lo = 0, std::int64_t hi = 0) {
  SettingKey key{group, name, values, false, [field, first](SessionSettings& s) { s.options.*field = first; },
                 [field, first, lo, hi](SessionSettings& s, const std::optional<QString>& text) {
                   const auto value = text ? OptionValue<T>(text->toStdString(), lo, hi) : std::nullopt;
                   s.options.*field = value.value_or(first);
                 },
                 [field, lo, hi](SessionSettings& s, const std::string& text) {
                   const auto value = OptionValue<T>(text, lo, hi);
                   if (value) s.options.*field = *value;
                   return value.has_value();
                 },
                 [field](const SessionSettings& s) { return OptionText(s.options.*field); }};
  if constexpr (std::is_same_v<T, bool>) {
    key.kind = SettingKind::Flag;
  } else if constexpr (std::is_same_v<T, int>) {
    key.kind = SettingKind::Number;
  }
  key.lo = lo;
  key.hi = hi;
  return key;
}

// A text key that takes only what `accepts` says: --set refuses the rest, and
// a stored text that does not fit gives the first-start value.
SettingKey Checked(SettingKey key, std::function<bool(const std::string&)> accepts) {
  key.load = [load = key.load, accepts](SessionSettings& s, const std::optional<QString>& text) {
    load(s, text && accepts(text->toStdString()) ? text : std::optional<QString>());
  };
  key.parse = [parse = key.parse, accepts](SessionSettings& s, const std::string& value) {
    return accepts(value) && parse(s, value);
  };
  return key;
}

std::vector<SettingKey> MakeKeys() {
  std::vector<SettingKey> keys;
  keys.push_back(BoxesField("Notes", "24 digits, \"00\" or \"01\" for each of C C# D D# E F F# G G# A A# B",
                            &Fields::notes));
  keys.push_back(BoxesField("Octaves", "22 digits, \"00\" or \"01\" for each octave 0 to 10", &Fields::octaves));

  SettingKey channel = NumberField("Channel", "MIDI channel 1 to 16", &Fields::channel, 1, 16);
  channel.load = [](SessionSettings& s, const std::optional<QString>& text) {
    const auto number = text ? WholeNumberInRange(text->toStdString(), 1, 16) : std::nullopt;
    s.stored.channel = number ? QString::number(*number) : FirstStartSettings().channel;
  };
  keys.push_back(channel);

  keys.push_back(TextField("Programs", "program list such as \"0-127\", \"0,40\" or \"\" (one pass, no program change)",
                           &Fields::programs, IsProgramListText));
  keys.push_back(NumberField("Velocity", "0 to 127", &Fields::velocity, 0, 127));
  keys.push_back(NumberField("Duration", "milliseconds the note is held, 0 to 32000", &Fields::duration, 0, 32000));
  keys.push_back(NumberField("Decay", "milliseconds recorded after the note off, 0 to 32000", &Fields::decay, 0, 32000));
  keys.push_back(ListField("Rate",
                           "\"11 kHz\", \"22 kHz\", \"44 kHz\", \"48 kHz\", \"88.2 kHz\" or \"96 kHz\" "
                           "(or 11025, 22050, 44100, 48000, 88200, 96000)",
                           &Fields::rate, kSampleRateRows, kFirstStartRate));
  keys.push_back(ListField("Bits", "8, 16, 24 or \"32 float\" (or 32)", &Fields::bits, kSampleBitsRows,
                           kFirstStartBits));
  keys.push_back(ListField("Channels", "Mono or Stereo", &Fields::channels, kSampleModeRows, kFirstStartMode));

  keys.push_back({kSettingsGroup, "Embedded", "-1 (unity note in every file) or 0", true, {},
                  [](SessionSettings& s, const std::optional<QString>& text) {
                    const auto embedded = Number(text.value_or(QStringLiteral("0")));
                    s.stored.embedded = embedded && RoundHalfEven(*embedded) != 0.0;
                  },
                  [](SessionSettings& s, const std::string& value) {
                    const auto number = WholeNumberInRange(value, -32768, 32767);
                    if (!number) return false;
                    s.stored.embedded = *number != 0;
                    return true;
                  },
                  [](const SessionSettings& s) { return s.stored.embedded ? QStringLiteral("-1") : QStringLiteral("0"); }});

  keys.push_back(TextField("Gear", "instrument name (a folder of that name, blanks as \"_\")", &Fields::gear,
                           [](const std::string&) { return true; }));
  keys.push_back(TextField("Folder", "the folder that receives the samples", &Fields::folder,
                           [](const std::string& value) { return !TrimBlanks(value).empty(); }));
  keys.push_back(KnobField("LineVolume", "line-input knob position, 4260 (loudest) to 5415 (quietest)", 0));
  keys.push_back(KnobField("MicVolume", "microphone knob position, 4260 (loudest) to 5415 (quietest)", 1));
  keys.push_back(KnobField("OutVolume", "output volume knob position, 4260 (loudest) to 5415 (quietest)", 2));

  keys.push_back({kSettingsGroup, "MidiDev", "\"MIDI Devices\" entry 0 to 9 (0 is the built-in synthesizer)", false,
                  [](SessionSettings& s) { s.midiDevice = kBuiltInSynthEntry; },
                  [](SessionSettings& s, const std::optional<QString>& text) {
                    const auto entry = Number(text);
                    const double rounded = entry ? RoundHalfEven(*entry) : -1.0;
                    s.midiDevice = rounded >= 0.0 && rounded <= kLastMidiMenuEntry ? static_cast<int>(rounded)
                                                                                   : kBuiltInSynthEntry;
                  },
                  [](SessionSettings& s, const std::string& value) {
                    const auto entry = WholeNumberInRange(value, 0, kLastMidiMenuEntry);
                    if (!entry) return false;
                    s.midiDevice = static_cast<int>(*entry);
                    return true;
                  },
                  [](const SessionSettings& s) { return QString::number(s.midiDevice); }});

  // Settings of groups of their own, each an OptionKey over a member of RunOptions.
  keys.push_back(OptionKey("Checks", "TestNotes",
                           "1 (a level check with test notes before each program's takes) or 0 (only the events' notes)",
                           &RunOptions::testNotes, true));
  keys.push_back(OptionKey("Synth", "RenderFast",
                           "1 (the built-in synthesizer's takes are rendered faster than real time) or 0",
                           &RunOptions::renderFast, false));
  keys.push_back(OptionKey("Synth", "SoundFont",
                           "SoundFont (.sf2) file for the built-in synthesizer, \"\" for the system's General MIDI one",
                           &RunOptions::soundFont, std::string()));
  keys.push_back(OptionKey("Run", "SkipTakesAlreadyMade",
                           "1 (START skips the notes whose file is already a finished take) or 0",
                           &RunOptions::skipTakesAlreadyMade, false));
  keys.push_back(OptionKey("Run", "PauseAfterProgramChange",
                           "milliseconds waited after a program change before its first note, 0 to 60000 "
                           "(the built-in synthesizer never waits)",
                           &RunOptions::pauseAfterProgramChangeMs, 500, 0, 60000));
  keys.push_back(OptionKey("Audio", "Input",
                           "\"\" (the audio system's default) or an input as \"ntr --list-devices\" prints it, such "
                           "as \"jack:system:capture_1,system:capture_2\"",
                           &RunOptions::audioInput, std::string()));

  // Every note recorded once per velocity layer and round: the "Instrument Options" dialog.
  SettingKey layers = Checked(
      OptionKey(kInstrumentGroup, "VelocityLayers",
                "velocities 1 to 127 separated by commas (\"40,80,127\"), each note recorded once at each; "
                "\"\" for one layer at the Key Velocity",
                &RunOptions::velocityLayers, std::string()),
      [](const std::string& value) { return ParseVelocityLayers(value).has_value(); });
  keys.push_back(layers);
  keys.push_back(OptionKey(kInstrumentGroup, "RoundRobins", "1 to 8 (how many takes of every note and layer)",
                           &RunOptions::roundRobins, 1, 1, kMaxRoundRobins));
  keys.push_back(OptionKey(kInstrumentGroup, "WriteInstrumentFiles",
                           "1 (after a run, the SFZ, DecentSampler and SoundFont 2 files of the instrument's folder "
                           "are written from its takes) or 0",
                           &RunOptions::writeInstrumentFiles, false));
  keys.push_back(OptionKey(kInstrumentGroup, "Trim",
                           "1 (every take cut to its sound: from the pre-roll before its onset to where it has "
                           "fallen to the noise floor, faded out) or 0",
                           &RunOptions::trim, false));
  keys.push_back(OptionKey(kInstrumentGroup, "PreRollMs",
                           "milliseconds a trimmed take keeps before its onset, 0 to 1000", &RunOptions::preRollMs, 5,
                           0, 1000));
  keys.push_back(OptionKey(kInstrumentGroup, "FadeOutMs",
                           "milliseconds of the fade-out at the end of a trimmed take, 0 to 1000",
                           &RunOptions::fadeOutMs, 10, 0, 1000));
  keys.push_back(OptionKey(kInstrumentGroup, "TuneCorrection",
                           "1 (every take's sampler chunk carries its measured pitch and the instrument files "
                           "correct it) or 0",
                           &RunOptions::tuneCorrection, false));
  keys.push_back(Checked(OptionKey(kInstrumentGroup, "Normalize",
                                   "off, or instrument (one gain for the whole instrument's files brings its loudest "
                                   "take to -1 dBFS; the takes are not touched)",
                                   &RunOptions::normalize, std::string("off")),
                         [](const std::string& value) { return value == "off" || value == "instrument"; }));

  keys.push_back(Checked(OptionKey(kInstrumentGroup, "Loops",
                                   "off (the default) or auto (every take gets a sustain loop where its sound is "
                                   "steady while the key is held)",
                                   &RunOptions::loops, std::string("off")),
                         [](const std::string& value) { return value == "off" || value == "auto"; }));
  keys.push_back(OptionKey(kInstrumentGroup, "LoopCrossfadeMs",
                           "milliseconds of the crossfade mixed in before a loop's end, 0 to 1000",
                           &RunOptions::loopCrossfadeMs, 10, 0, 1000));
  keys.push_back(Checked(OptionKey(kInstrumentGroup, "PlayMode",
                                   "sustain (the default: a take plays while the key is down, then its recorded "
                                   "release) or one-shot (the whole take plays however short the press; no loops)",
                                   &RunOptions::playMode, std::string("sustain")),
                         [](const std::string& value) { return value == "sustain" || value == "one-shot"; }));

  // The "Instrument Options" dialog's headings, and examples for its lists.
  const auto place = [&keys](std::string_view name, std::string_view heading, std::string_view example = {}) {
    for (SettingKey& key : keys) {
      if (key.group == kInstrumentGroup && key.name == name) {
        key.heading = heading;
        key.example = example;
      }
    }
  };
  place("VelocityLayers", "Layers and rounds", "40,80,127");
  place("RoundRobins", "Layers and rounds");
  place("Trim", "Trimming");
  place("PreRollMs", "Trimming");
  place("FadeOutMs", "Trimming");
  place("Loops", "Loops and release");
  place("LoopCrossfadeMs", "Loops and release");
  place("PlayMode", "Loops and release");
  place("TuneCorrection", "Tuning");
  place("WriteInstrumentFiles", "Files");
  place("Normalize", "Files");

  // The window's fields have their first-start values as a whole (FirstStartSettings).
  for (SettingKey& key : keys) {
    if (!key.firstStart) key.firstStart = [](SessionSettings&) {};
  }
  return keys;
}

// Names the key as it was typed ("Instrument/RoundRobins") and as the table has it.
[[noreturn]] void Refuse(const SettingKey& key, const std::string& typed, const std::string& value) {
  throw SettingError("--set " + typed + "=" + value + ": " + std::string(key.name) + " takes " +
                     std::string(key.values));
}

}  // namespace

const std::vector<SettingKey>& SettingKeys() {
  static const std::vector<SettingKey> keys = MakeKeys();
  return keys;
}

std::string SettingKey::Label() const {
  std::string words;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
    if (i > 0 && upper) words += ' ';
    words += i > 0 && upper ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
  }
  constexpr std::string_view kMillis = " ms";
  if (words.size() > kMillis.size() && words.compare(words.size() - kMillis.size(), kMillis.size(), kMillis) == 0) {
    words.replace(words.size() - kMillis.size(), kMillis.size(), " (ms)");
  }
  return words;
}

std::vector<const SettingKey*> KeysOfGroup(std::string_view group) {
  std::vector<const SettingKey*> keys;
  for (const SettingKey& key : SettingKeys()) {
    if (key.group == group) keys.push_back(&key);
  }
  return keys;
}

const SettingKey* FindSettingKey(std::string_view name) {
  for (const SettingKey& key : SettingKeys()) {
    if (SameText(name, key.name)) return &key;
    const std::string full = std::string(key.group) + "/" + std::string(key.name);
    if (key.group != kSettingsGroup && SameText(name, full)) return &key;
  }
  return nullptr;
}

void ApplyOverride(SessionSettings& settings, const std::string& key, const std::string& value) {
  const SettingKey* found = FindSettingKey(key);
  if (!found) {
    std::string names;
    for (const SettingKey& k : SettingKeys()) names += (names.empty() ? "" : ", ") + std::string(k.name);
    throw SettingError("--set " + key + "=" + value + ": there is no setting \"" + key + "\"; the settings are " +
                       names);
  }
  if (!found->parse(settings, value)) Refuse(*found, key, value);
}

}  // namespace ntr::session
