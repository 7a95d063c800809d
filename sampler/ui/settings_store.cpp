#include "ui/settings_store.h"

#include <QDir>
#include <QStringList>

#include "engine/midi_device_menu.h"
#include "engine/text_numbers.h"
#include "ui/slider_geometry.h"

namespace ntr::ui {

namespace {

const char* const kVolumeKeys[kSliderCount] = {"LineVolume", "MicVolume", "OutVolume"};

std::optional<double> Number(const std::optional<QString>& text) {
  if (!text) return std::nullopt;
  return ParseNumber(text->toStdString());
}

// Box i from pair i of the text ("00" off, anything else that is a number on).
// A pair that is missing (a short or absent text) or not a number keeps the
// first-start value, so a damaged entry never leaves the selection empty by chance.
template <std::size_t N>
void ApplyBoxes(const std::optional<QString>& text, std::array<bool, N>& boxes) {
  for (std::size_t i = 0; i < N; ++i) {
    const QString pair = text ? text->mid(static_cast<qsizetype>(2 * i), 2) : QString();
    const auto value = ParseNumber(pair.toStdString());
    if (value) boxes[i] = RoundHalfEven(*value) != 0.0;
  }
}

// A list shows a stored text only when one of its rows shows it; otherwise
// the list keeps its first-start row (the last one).
template <std::size_t N>
QString MatchingRow(const std::optional<QString>& text, const std::array<ListRow, N>& rows, const QString& fallback) {
  if (text) {
    for (const ListRow& row : rows) {
      if (*text == QLatin1String(row.shown)) return *text;
    }
  }
  return fallback;
}

}  // namespace

QString DefaultSaveFolder() {
#ifdef _WIN32
  return QStringLiteral("C:\\SAMPLES");
#else
  return QDir::homePath() + QStringLiteral("/SAMPLES");
#endif
}

StoredSettings FirstStartSettings() {
  StoredSettings s;
  s.notes.fill(true);
  s.octaves.fill(true);
  s.channel = QStringLiteral("1");
  s.programs = QStringLiteral("0-127");
  s.velocity = QStringLiteral("127");
  s.duration = QStringLiteral("2000");
  s.decay = QStringLiteral("500");
  s.rate = QLatin1String(kSampleRateRows.back().shown);
  s.bits = QLatin1String(kSampleBitsRows.back().shown);
  s.channels = QLatin1String(kSampleModeRows.back().shown);
  s.embedded = false;
  s.gear = QString();
  s.folder = DefaultSaveFolder();
  for (int i = 0; i < kSliderCount; ++i) s.knobTops[static_cast<std::size_t>(i)] = DefaultKnobTop(i);
  return s;
}

QString BoxesText(const bool* boxes, int count) {
  QString text;
  for (int i = 0; i < count; ++i) text += boxes[i] ? QStringLiteral("01") : QStringLiteral("00");
  return text;
}

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

std::optional<QString> SettingsStore::Read(const QString& key) const {
  settings_->beginGroup(QString::fromLatin1(kSettingsGroup));
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

void SettingsStore::Write(const QString& key, const QString& value) {
  settings_->beginGroup(QString::fromLatin1(kSettingsGroup));
  const QStringList keys = settings_->childKeys();
  for (const QString& stored : keys) {
    if (stored != key && stored.compare(key, Qt::CaseInsensitive) == 0) settings_->remove(stored);
  }
  settings_->setValue(key, value);
  settings_->endGroup();
}

void SettingsStore::Sync() { settings_->sync(); }

bool SettingsStore::IsFirstStart() const {
  const std::optional<QString> channel = Read(QStringLiteral("Channel"));
  if (!channel) return true;
  const auto value = ParseNumber(channel->toStdString());
  return value && RoundHalfEven(*value) == 0.0;
}

// Mends on reading: the note and octave boxes, the three format lists, the
// channel and the knobs fall back to their first-start values where the
// stored text is absent, too short or not a number; knobs are kept on their
// tracks. The text fields take what is stored, an absent key empties them.
StoredSettings SettingsStore::Load() const {
  const StoredSettings first = FirstStartSettings();
  StoredSettings s = first;

  ApplyBoxes(Read(QStringLiteral("Notes")), s.notes);
  ApplyBoxes(Read(QStringLiteral("Octaves")), s.octaves);

  const std::optional<QString> channel = Read(QStringLiteral("Channel"));
  const auto channelNumber = channel ? WholeNumberInRange(channel->toStdString(), 1, 16) : std::nullopt;
  s.channel = channelNumber ? QString::number(*channelNumber) : first.channel;

  s.programs = Read(QStringLiteral("Programs")).value_or(QString());
  s.velocity = Read(QStringLiteral("Velocity")).value_or(QString());
  s.duration = Read(QStringLiteral("Duration")).value_or(QString());
  s.decay = Read(QStringLiteral("Decay")).value_or(QString());
  s.rate = MatchingRow(Read(QStringLiteral("Rate")), kSampleRateRows, first.rate);
  s.bits = MatchingRow(Read(QStringLiteral("Bits")), kSampleBitsRows, first.bits);
  s.channels = MatchingRow(Read(QStringLiteral("Channels")), kSampleModeRows, first.channels);

  const auto embedded = Number(Read(QStringLiteral("Embedded")).value_or(QStringLiteral("0")));
  s.embedded = embedded && RoundHalfEven(*embedded) != 0.0;

  s.gear = Read(QStringLiteral("Gear")).value_or(QString());
  s.folder = Read(QStringLiteral("Folder")).value_or(QString());

  for (int i = 0; i < kSliderCount; ++i) {
    const auto top = Number(Read(QString::fromLatin1(kVolumeKeys[i])));
    s.knobTops[static_cast<std::size_t>(i)] = top ? ClampKnobTop(i, *top) : DefaultKnobTop(i);
  }
  return s;
}

void SettingsStore::Save(const StoredSettings& s) {
  Write(QStringLiteral("Notes"), BoxesText(s.notes.data(), static_cast<int>(s.notes.size())));
  Write(QStringLiteral("Octaves"), BoxesText(s.octaves.data(), static_cast<int>(s.octaves.size())));
  Write(QStringLiteral("Channel"), s.channel);
  Write(QStringLiteral("Programs"), s.programs);
  Write(QStringLiteral("Velocity"), s.velocity);
  Write(QStringLiteral("Duration"), s.duration);
  Write(QStringLiteral("Decay"), s.decay);
  Write(QStringLiteral("Rate"), s.rate);
  Write(QStringLiteral("Bits"), s.bits);
  Write(QStringLiteral("Channels"), s.channels);
  Write(QStringLiteral("Embedded"), s.embedded ? QStringLiteral("-1") : QStringLiteral("0"));
  Write(QStringLiteral("Gear"), s.gear);
  Write(QStringLiteral("Folder"), s.folder);
  for (int i = 0; i < kSliderCount; ++i) {
    Write(QString::fromLatin1(kVolumeKeys[i]),
          QString::number(static_cast<double>(static_cast<float>(s.knobTops[static_cast<std::size_t>(i)]))));
  }
  Sync();
}

int SettingsStore::LoadMidiDevice() const {
  const auto entry = Number(Read(QStringLiteral("MIDIDev")));
  if (!entry) return 0;
  const double rounded = RoundHalfEven(*entry);
  return rounded >= 0.0 && rounded <= kLastMidiMenuEntry ? static_cast<int>(rounded) : kBuiltInSynthEntry;
}

void SettingsStore::SaveMidiDevice(int entry) {
  Write(QStringLiteral("MidiDev"), QString::number(entry));
  Sync();
}

}  // namespace ntr::ui
