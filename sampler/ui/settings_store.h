#pragma once
// The user's choices from one start of the program to the next: application
// "NTR - Notarra", group "Parameters", seventeen keys with text values. Keys
// are matched without regard to case ("MidiDev" is read as "MIDIDev").
//
// The store reads and writes StoredSettings, the values as the window applies
// them; reading mends what does not fit (a value nobody saved, a text from a
// hand-edited file) so that loading can never hang or leave a control without
// a value. Used on the user-interface thread (and by front ends without a window).

#include <QSettings>
#include <QString>
#include <array>
#include <memory>
#include <optional>

namespace ntr::ui {

inline constexpr const char* kSettingsApplication = "NTR - Notarra";
inline constexpr const char* kSettingsGroup = "Parameters";

// The rows of the three format lists, first column shown, second the value.
struct ListRow {
  const char* shown;
  int value;
};
inline constexpr std::array<ListRow, 3> kSampleRateRows = {{{"11 kHz", 11025}, {"22 kHz", 22050}, {"44 kHz", 44100}}};
inline constexpr std::array<ListRow, 2> kSampleBitsRows = {{{"8", 8}, {"16", 16}}};
inline constexpr std::array<ListRow, 2> kSampleModeRows = {{{"Mono", 1}, {"Stereo", 2}}};

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

// The values of a first start. The save folder is "SAMPLES" in the user's
// home ("C:\SAMPLES" on Windows). "Embedded" has no first-start value: the
// window keeps its box's initial state.
StoredSettings FirstStartSettings();
QString DefaultSaveFolder();

class SettingsStore {
 public:
  // The user's own store: the registry on Windows (where earlier versions of
  // the program kept it), an INI file in the user's configuration folder elsewhere.
  static std::unique_ptr<QSettings> OpenUserSettings();
  // A store in one INI file (tests, other front ends).
  static std::unique_ptr<QSettings> OpenFile(const QString& path);

  explicit SettingsStore(std::unique_ptr<QSettings> settings);

  // Nothing saved yet: "Channel" is absent or reads as 0.
  bool IsFirstStart() const;
  // The stored values; whatever is absent or does not fit is mended as
  // described in settings_store.cpp.
  StoredSettings Load() const;
  // Writes "Notes" .. "OutVolume" in order, overwriting what was stored.
  void Save(const StoredSettings& settings);

  // "MidiDev": the device menu entry, 0..9 (0 when absent, not a number or
  // outside the menu). Written on every device choice.
  int LoadMidiDevice() const;
  void SaveMidiDevice(int entry);

  // One key of the group, matched without regard to case; nullopt when absent.
  std::optional<QString> Read(const QString& key) const;
  void Write(const QString& key, const QString& value);
  void Sync();
  QSettings& Backend() { return *settings_; }

 private:
  std::unique_ptr<QSettings> settings_;
};

// The settings texts of the note and octave boxes: "00"/"01" per box.
QString BoxesText(const bool* boxes, int count);

}  // namespace ntr::ui
