// Stands in, on a private session bus, for what keeps a machine awake:
//   ntr_dbus_standin logind        org.freedesktop.login1 (Inhibit -> a file descriptor)
//   ntr_dbus_standin screensaver   org.freedesktop.ScreenSaver (Inhibit -> cookie, UnInhibit)
// Tests ask it, on the interface "ntr.test.Standin", for Calls (what was
// called, with its arguments) and Held (an inhibition is in force: logind's
// descriptor still open at the caller, or a cookie not yet given back).
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QStringList>
#include <cstdio>
#include <vector>

namespace {

class Standin : public QDBusVirtualObject {
 public:
  explicit Standin(bool logind) : logind_(logind) {}

  QString introspect(const QString& /*path*/) const override { return {}; }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    const QString member = message.member();
    QStringList arguments;
    for (const QVariant& argument : message.arguments()) arguments << argument.toString();
    QVariantList reply;
    if (member == QLatin1String("Calls")) {
      reply << calls_;
    } else if (member == QLatin1String("Held")) {
      reply << Held();
    } else if (member == QLatin1String("Inhibit") && logind_) {
      calls_ << QStringLiteral("Inhibit ") + arguments.join(QLatin1Char(' '));
      int ends[2];
      if (pipe(ends) != 0) return false;
      readEnds_.push_back(ends[0]);
      reply << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));  // a copy goes to the caller
      close(ends[1]);
    } else if (member == QLatin1String("Inhibit")) {
      calls_ << QStringLiteral("Inhibit ") + arguments.join(QLatin1Char(' '));
      cookies_.push_back(++lastCookie_);
      reply << QVariant::fromValue(lastCookie_);
    } else if (member == QLatin1String("UnInhibit")) {
      calls_ << QStringLiteral("UnInhibit ") + arguments.join(QLatin1Char(' '));
      std::erase(cookies_, message.arguments().value(0).toUInt());
    } else {
      return false;
    }
    connection.send(message.createReply(reply));
    return true;
  }

 private:
  // logind's inhibition lasts while any descriptor it gave out is open.
  bool Held() const {
    for (const int end : readEnds_) {
      pollfd watch{end, POLLIN, 0};
      if (poll(&watch, 1, 0) == 0) return true;
    }
    return !cookies_.empty();
  }

  bool logind_;
  QStringList calls_;
  std::vector<int> readEnds_;
  std::vector<uint> cookies_;
  uint lastCookie_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool logind = argc > 1 && QLatin1String(argv[1]) == QLatin1String("logind");
  QDBusConnection bus = QDBusConnection::sessionBus();
  Standin standin(logind);
  const QString path = logind ? QStringLiteral("/org/freedesktop/login1") : QStringLiteral("/org/freedesktop/ScreenSaver");
  if (!bus.registerVirtualObject(path, &standin) ||
      !bus.registerService(logind ? QStringLiteral("org.freedesktop.login1") : QStringLiteral("org.freedesktop.ScreenSaver"))) {
    std::fprintf(stderr, "ntr_dbus_standin: cannot serve on the session bus\n");
    return 1;
  }
  return QCoreApplication::exec();
}
