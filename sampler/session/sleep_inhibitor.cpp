// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QString>

namespace ntr::session {

namespace {

const QString kWho = QStringLiteral("NTR");
const QString kWhy = QStringLiteral("A sampling run is recording");

// One call with a short timeout: a bus that does not answer must not hold up START.
QDBusMessage Call(QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments) {
  QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
  message.setArguments(arguments);
  return bus.call(message, QDBus::Block, 5000);
}

}  // namespace

SleepInhibitor::SleepInhibitor(QDBusConnection systemBus, QDBusConnection sessionBus, Warn warn)
    : systemBus_(std::move(systemBus)), sessionBus_(std::move(sessionBus)), warn_(std::move(warn)) {}

SleepInhibitor::SleepInhibitor(Warn warn)
    : SleepInhibitor(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), std::move(warn)) {}

void SleepInhibitor::RunStateChanged(RunState state) {
  if (state != RunState::Idle && !taken_) Take();
}

void SleepInhibitor::RunFinished(const RunResult& /*result*/) { Release(); }

void SleepInhibitor::Take() {
  taken_ = true;
  if (systemBus_.isConnected()) {
    const QDBusReply<QDBusUnixFileDescriptor> lock =
        Call(systemBus_, QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"),
             {QStringLiteral("sleep:idle"), kWho, kWhy, QStringLiteral("block")});
    if (lock.isValid() && lock.value().isValid()) {
      logindLock_ = lock.value();
      return;
    }
  }
  if (sessionBus_.isConnected()) {
    const QDBusReply<uint> cookie =
        Call(sessionBus_, QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
             QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"), {kWho, kWhy});
    if (cookie.isValid()) {
      screenSaverCookie_ = cookie.value();
      return;
    }
  }
  if (warn_) warn_("Nothing keeps this computer awake during the run (no logind or screen saver on D-Bus).");
}

void SleepInhibitor::Release() {
  taken_ = false;
  logindLock_ = QDBusUnixFileDescriptor();  // closing the descriptor ends logind's inhibition
  if (screenSaverCookie_) {
    Call(sessionBus_, QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
         QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"), {*screenSaverCookie_});
    screenSaverCookie_.reset();
  }
}

}  // namespace ntr::session
