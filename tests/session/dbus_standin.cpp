// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in, on the session bus, for what keeps a machine awake, for the
// sleep inhibitor's tests: `ntr_dbus_standin logind` serves login1's Inhibit
// (a file descriptor), `ntr_dbus_standin screensaver` the screen saver's
// Inhibit (a cookie) and UnInhibit. Any interface also answers Calls (what
// was called) and Held (logind: a descriptor is still open at the caller;
// screen saver: a cookie has not been given back).
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QStringList>
#include <set>

namespace {

class Standin : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QString member = message.member();
    QVariantList reply;
    if (member == QLatin1String("Calls")) {
      reply << calls_;
    } else if (member == QLatin1String("Held")) {
      reply << Held();
    } else {
      QStringList call{member};
      for (const QVariant& argument : message.arguments()) call << argument.toString();
      calls_ << call.join(QLatin1Char(' '));
      if (member == QLatin1String("UnInhibit")) {
        cookies_.erase(message.arguments().value(0).toUInt());
      } else if (message.path() == QLatin1String("/org/freedesktop/login1")) {
        int ends[2];
        if (pipe(ends) != 0) return false;
        readEnds_.insert(ends[0]);
        reply << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));  // the caller's copy
        close(ends[1]);
      } else {
        cookies_.insert(++lastCookie_);
        reply << lastCookie_;
      }
    }
    connection.send(message.createReply(reply));
    return true;
  }

 private:
  bool Held() const {
    for (const int end : readEnds_) {
      pollfd watch{end, POLLIN, 0};
      if (poll(&watch, 1, 0) == 0) return true;  // no hang-up yet: the caller holds it
    }
    return !cookies_.empty();
  }

  QStringList calls_;
  std::set<int> readEnds_;
  std::set<uint> cookies_;
  uint lastCookie_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool logind = argc > 1 && QLatin1String(argv[1]) == QLatin1String("logind");
  Standin standin;
  QDBusConnection bus = QDBusConnection::sessionBus();
  const bool serving =
      logind ? bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &standin) &&
                   bus.registerService(QStringLiteral("org.freedesktop.login1"))
             : bus.registerVirtualObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &standin) &&
                   bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
  return serving ? QCoreApplication::exec() : 1;
}
