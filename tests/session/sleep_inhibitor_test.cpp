// SPDX-License-Identifier: GPL-3.0-or-later
// The inhibitor that keeps the machine awake during a run, against a private
// bus (dbus-daemon --session) with a stand-in for logind or the screen saver:
// taken at START, given back however the run ends.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QThread>

#include "session/sleep_inhibitor.h"
#include "test_support.h"

namespace ntr::session {
namespace {

// The bus, and the stand-in serving `service` at `path` on it.
class PrivateBus {
 public:
  PrivateBus(const QString& kind, const QString& service, const QString& path) : service_(service), path_(path) {
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
    if (!daemon_.waitForReadyRead(5000)) return;
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    bus_ = QDBusConnection::connectToBus(address, QStringLiteral("ntr-test-bus"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    standin_.setProcessEnvironment(environment);
    standin_.start(QStringLiteral(NTR_DBUS_STANDIN), {kind});
    for (int i = 0; i < 250 && !bus_.interface()->isServiceRegistered(service); ++i) QThread::msleep(20);
  }
  ~PrivateBus() {
    standin_.kill();
    standin_.waitForFinished(5000);
    QDBusConnection::disconnectFromBus(QStringLiteral("ntr-test-bus"));
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  bool Up() { return bus_.isConnected() && bus_.interface()->isServiceRegistered(service_); }
  QDBusConnection& Bus() { return bus_; }
  // What the stand-in says: "Held" (an inhibition is in force) or "Calls".
  QVariant Ask(const QString& what) {
    return bus_.call(QDBusMessage::createMethodCall(service_, path_, QStringLiteral("ntr.test.Standin"), what))
        .arguments()
        .value(0);
  }

 private:
  QString service_, path_;
  QProcess daemon_, standin_;
  QDBusConnection bus_{QStringLiteral("none")};
};

QDBusConnection NoBus() {
  return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/ntr"), QStringLiteral("ntr-none"));
}

enum class End { LastTake, Stop, Failure };

// A run of two notes on fakes, with the inhibitor following it, ended as
// asked; returns whether the inhibition was in force at each saved take.
std::vector<bool> RunAndEnd(SleepInhibitor& inhibitor, End end, const std::function<bool()>& held) {
  struct Watch : RunObserver {
    Watch(std::function<bool()> h, RunController& c, bool s) : held(std::move(h)), controller(c), stop(s) {}
    void TakeSaved(const SavedTake&) override {
      seen.push_back(held());
      if (stop) controller.Stop();
    }
    std::function<bool()> held;
    RunController& controller;
    bool stop;
    std::vector<bool> seen;
  };
  testing::Rig rig;
  rig.AddRows({60, 62}, 100, 50);
  Watch watch(held, rig.controller, end == End::Stop);
  if (end == End::Failure) rig.recorder.FailAt(fakes::RecorderOp::Record, "the device went away", 2);
  rig.controller.AddObserver(&inhibitor);
  rig.controller.AddObserver(&watch);
  rig.Start();
  rig.controller.RemoveObserver(&watch);
  rig.controller.RemoveObserver(&inhibitor);
  const RunOutcome outcome = end == End::LastTake ? RunOutcome::Completed
                             : end == End::Stop   ? RunOutcome::Stopped
                                                  : RunOutcome::EventFailed;
  EXPECT_EQ(rig.controller.LastResult()->outcome, outcome);
  return watch.seen;
}

TEST(SleepInhibitor, LogindLockIsHeldForTheRunAndGivenBackHoweverItEnds) {
  PrivateBus bus(QStringLiteral("logind"), QStringLiteral("org.freedesktop.login1"),
                 QStringLiteral("/org/freedesktop/login1"));
  if (!bus.Up()) GTEST_SKIP() << "dbus-daemon cannot be started here";
  SleepInhibitor inhibitor(bus.Bus(), bus.Bus(), [](const std::string& line) { ADD_FAILURE() << line; });
  const auto held = [&] { return bus.Ask(QStringLiteral("Held")).toBool(); };
  EXPECT_EQ(RunAndEnd(inhibitor, End::LastTake, held), (std::vector<bool>{true, true}));
  EXPECT_FALSE(held()) << "after the last take";
  EXPECT_EQ(RunAndEnd(inhibitor, End::Stop, held), std::vector<bool>{true});
  EXPECT_FALSE(held()) << "after STOP";
  EXPECT_EQ(RunAndEnd(inhibitor, End::Failure, held), std::vector<bool>{true});
  EXPECT_FALSE(held()) << "after a failure";
  const QStringList calls = bus.Ask(QStringLiteral("Calls")).toStringList();
  EXPECT_EQ(calls.size(), 3);
  EXPECT_EQ(calls.value(0), QStringLiteral("Inhibit sleep:idle NTR A sampling run is recording block"));
}

TEST(SleepInhibitor, WithoutLogindTheScreenSaverIsInhibitedAndWithoutDbusTheRunGoesOnWithAWarning) {
  PrivateBus bus(QStringLiteral("screensaver"), QStringLiteral("org.freedesktop.ScreenSaver"),
                 QStringLiteral("/org/freedesktop/ScreenSaver"));
  if (!bus.Up()) GTEST_SKIP() << "dbus-daemon cannot be started here";
  SleepInhibitor inhibitor(NoBus(), bus.Bus(), {});
  EXPECT_EQ(RunAndEnd(inhibitor, End::LastTake, [&] { return bus.Ask(QStringLiteral("Held")).toBool(); }),
            (std::vector<bool>{true, true}));
  EXPECT_EQ(bus.Ask(QStringLiteral("Calls")).toStringList(),
            (QStringList{QStringLiteral("Inhibit NTR A sampling run is recording"), QStringLiteral("UnInhibit 1")}));

  std::vector<std::string> warnings;
  SleepInhibitor none(NoBus(), NoBus(), [&](const std::string& line) { warnings.push_back(line); });
  RunAndEnd(none, End::LastTake, [] { return false; });
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("Nothing keeps this computer awake"), std::string::npos);
}

}  // namespace
}  // namespace ntr::session

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
