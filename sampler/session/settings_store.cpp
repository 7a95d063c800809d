// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/settings_store.h"

#include <QStringList>

#include "engine/events/text_numbers.h"
#include "session/setting_keys.h"

namespace ntr::session {

namespace {

QString Latin(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

std::unique_ptr<QSettings> SettingsStore::OpenUserSettings() {
#ifdef _WIN32
  return std::make_unique<QSettings>(
      QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + kSettingsApplication,
      QSettings::NativeFormat);
#else
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kSettingsApplication));
#endif
}

std::unique_ptr<QSettings> SettingsStore::OpenFile(const QString& path) {
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

std::optional<QString> SettingsStore::Read(const QString& key, const QString& group) const {
  settings_->beginGroup(group);
  std::optional<QString> result;
  const QStringList keys = settings_->childKeys();
  for (const QString& stored : keys) {
    if (stored.compare(key, Qt::CaseInsensitive) != 0) continue;
    const QVariant value = settings_->value(stored);
    // An INI line with commas that the program did not write ("1,5,9") comes back as a list.
    result = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(',')) : value.toString();
    break;
  }
  settings_->endGroup();
  return result;
}

void SettingsStore::Write(const QString& key, const QString& value, const QString& group) {
  settings_->beginGroup(group);
  const QStringList keys = settings_->childKeys();
  for (const QString& stored : keys) {
    if (stored != key && stored.compare(key, Qt::CaseInsensitive) == 0) settings_->remove(stored);
  }
  settings_->setValue(key, value);
  settings_->endGroup();
}

qsizetype SettingsStore::KeyCount(const QString& group) const {
  settings_->beginGroup(group);
  const qsizetype count = settings_->childKeys().size();
  settings_->endGroup();
  return count;
}

void SettingsStore::Sync() { settings_->sync(); }

std::optional<QString> SettingsStore::ReadKey(const SettingKey& key) const {
  return Read(Latin(key.name), Latin(key.group));
}

bool SettingsStore::IsFirstStart() const {
  const std::optional<QString> channel = Read(QStringLiteral("Channel"));
  if (!channel) return true;
  const auto value = ParseNumber(channel->toStdString());
  return value && RoundHalfEven(*value) == 0.0;
}

StoredSettings SettingsStore::Load() const {
  SessionSettings s;
  s.stored = FirstStartSettings();
  for (const SettingKey& key : SettingKeys()) {
    if (key.savedWithFields) key.load(s, ReadKey(key));
  }
  return s.stored;
}

SessionSettings SettingsStore::LoadSession() const {
  SessionSettings s;
  if (IsFirstStart()) {
    s.stored = FirstStartSettings();
    s.stored.embedded = kEmbedBoxInitiallyChecked;
  } else {
    s.stored = Load();
  }
  for (const SettingKey& key : SettingKeys()) {
    if (key.savedWithFields) continue;
    key.firstStart(s);
    key.load(s, ReadKey(key));
  }
  return s;
}

void SettingsStore::Save(const StoredSettings& stored) {
  SessionSettings s;
  s.stored = stored;
  for (const SettingKey& key : SettingKeys()) {
    if (key.savedWithFields) Write(Latin(key.name), key.text(s), Latin(key.group));
  }
  Sync();
}

void SettingsStore::SaveKey(const SessionSettings& settings, const SettingKey& key) {
  Write(Latin(key.name), key.text(settings), Latin(key.group));
  Sync();
}

int SettingsStore::LoadMidiDevice() const {
  SessionSettings s;
  const SettingKey& key = *FindSettingKey("MidiDev");
  key.load(s, ReadKey(key));
  return s.midiDevice;
}

void SettingsStore::SaveMidiDevice(int entry) {
  SessionSettings s;
  s.midiDevice = entry;
  SaveKey(s, *FindSettingKey("MidiDev"));
}

}  // namespace ntr::session
