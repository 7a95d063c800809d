// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_mode.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <memory>

#include "batch/batch_run.h"
#include "batch/check_instrument.h"
#include "batch/device_listing.h"
#include "batch/exit_codes.h"
#include "batch/make_instrument.h"
#include "session/instrument_files_after_run.h"
#include "instrument/instrument_check.h"
#include "session/setting_keys.h"
#include "session/settings_store.h"

namespace ntr::batch {

namespace {

std::unique_ptr<QSettings> OpenSettings(const CommandLine& line) {
  if (!line.settingsFile) return session::SettingsStore::OpenUserSettings();
  const QString path = QString::fromLocal8Bit(line.settingsFile->c_str());
  const QFileInfo file(path);
  if (!file.exists()) throw BatchError(kExitUsage, "the settings file " + *line.settingsFile + " does not exist");
  if (!file.isFile() || !file.isReadable()) {
    throw BatchError(kExitUsage, "the settings file " + *line.settingsFile + " cannot be read");
  }
  std::unique_ptr<QSettings> settings = session::SettingsStore::OpenFile(path);
  settings->childGroups();  // reads the file, so a damaged one shows in status()
  if (settings->status() != QSettings::NoError) {
    throw BatchError(kExitUsage, "the settings file " + *line.settingsFile + " is not an INI file of settings");
  }
  return settings;
}

// A file without "Channel" counts as never saved, so its other keys are not
// read (as in the window): say so rather than sample with values nobody chose.
void WarnAboutIgnoredKeys(const CommandLine& line, session::SettingsStore& store) {
  if (!line.settingsFile || !store.IsFirstStart()) return;
  const qsizetype keys = store.KeyCount();
  if (keys > 0 && !(keys == 1 && store.Read(QStringLiteral("MidiDev")))) {
    std::fprintf(stderr,
                 "NTR: %s has no \"Channel\" (or Channel=0), so it counts as never saved: the first-start "
                 "values are used and only MidiDev and --set are taken from it.\n",
                 line.settingsFile->c_str());
  }
}

int BatchMain(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  const CommandLine line = ParseCommandLine(arguments);
  if (line.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitDone;
  }
  if (line.version || line.settingNames) {
    std::fputs((line.version ? VersionText() : SettingNamesText()).c_str(), stdout);
    return kExitDone;
  }
  if (line.listDevices) return ListDevices();
  if (line.makeInstrument) {
    // Only --set PlayMode and Normalize come with it (the command line refuses the rest).
    session::SessionSettings chosen;
    for (const KeyValue& override : line.overrides) {
      try {
        session::ApplyOverride(chosen, override.key, override.value);
      } catch (const session::SettingError& error) {
        throw BatchError(kExitUsage, error.what());
      }
    }
    return MakeInstrument(*line.makeInstrument, session::InstrumentFileOptionsOf(chosen.options), stdout, stderr);
  }
  if (line.checkInstrument) {
    return CheckInstrument(*line.checkInstrument, line.toleranceCents.value_or(instrument::kDefaultToleranceCents),
                           stdout);
  }

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromLatin1(session::kSettingsApplication));
  session::SettingsStore store(OpenSettings(line));
  WarnAboutIgnoredKeys(line, store);
  session::SessionSettings settings = store.LoadSession();
  for (const KeyValue& override : line.overrides) {
    try {
      session::ApplyOverride(settings, override.key, override.value);
    } catch (const session::SettingError& error) {
      throw BatchError(kExitUsage, error.what());
    }
  }

  if (line.resume) settings.options.skipTakesAlreadyMade = true;
  BatchRun run(settings, line.force);
  return run.Run();
}

}  // namespace

int RunBatchMode(int argc, char** argv) {
  try {
    return BatchMain(argc, argv);
  } catch (const BatchError& error) {
    std::fprintf(stderr, "NTR: %s\n", error.what());
    return error.ExitCode();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "NTR: %s\n", error.what());
    return kExitRunFailed;
  }
}

}  // namespace ntr::batch
