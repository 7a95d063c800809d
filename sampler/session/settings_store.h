// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's choices from one start of the program to the next: application
// "NTR - Notarra"; the window's keys in group "Parameters", other settings in
// groups of their own, every value a text. Keys are matched without regard to
// case ("MidiDev" is read as "MIDIDev").
//
// What each key holds, how a stored text is read (and mended when it does not
// fit) and what a first start gives is the key table's (setting_keys.h); the
// store only reads and writes texts. Used on the thread that made it (the
// user-interface thread, or the batch mode's only thread).

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

#include "session/session_settings.h"

namespace ntr::session {

struct SettingKey;

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
  // Everything, as a session starts with it: on a first start the window's
  // first-start values (the embed box checked), otherwise the stored
  // "Parameters" mended; "MidiDev" and the options as stored, or their
  // first-start values.
  SessionSettings LoadSession() const;
  // The window's fields as stored, mended ("Load Settings").
  StoredSettings Load() const;
  // Writes "Notes" .. "OutVolume" in order, overwriting what was stored ("Save Settings").
  void Save(const StoredSettings& settings);
  // Writes one key that is stored as soon as it is chosen ("MidiDev", the
  // options of groups of their own).
  void SaveKey(const SessionSettings& settings, const SettingKey& key);

  // "MidiDev": the device menu entry (the built-in synthesizer when absent,
  // not a number or outside the menu). Written on every device choice.
  int LoadMidiDevice() const;
  void SaveMidiDevice(int entry);

  // One key of a group, matched without regard to case; nullopt when absent.
  std::optional<QString> Read(const QString& key, const QString& group = QLatin1String(kSettingsGroup)) const;
  void Write(const QString& key, const QString& value, const QString& group = QLatin1String(kSettingsGroup));
  // How many keys the group holds.
  qsizetype KeyCount(const QString& group = QLatin1String(kSettingsGroup)) const;
  void Sync();

 private:
  std::optional<QString> ReadKey(const SettingKey& key) const;

  std::unique_ptr<QSettings> settings_;
};

}  // namespace ntr::session
