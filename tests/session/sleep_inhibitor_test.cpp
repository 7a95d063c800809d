// The inhibitor that keeps the machine awake during a run, against a private
// D-Bus bus (dbus-daemon --session started here) with a stand-in for logind or
// the screen saver: taken at START, given back however the run ends.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QThread>

#include "session/sleep_inhibitor.h"
#include "test_support.h"

namespace ntr::session {
namespace {

class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, QStringLiteral("ntr-test-bus")));
  }
  ~PrivateBus() {
    for (QProcess* standin : standins_) {
      standin->kill();
      standin->waitForFinished(5000);
      delete standin;
    }
    bus_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("ntr-test-bus"));
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  bool Up() const { return bus_ && bus_->isConnected(); }
  QDBusConnection& Bus() { return *bus_; }

  // Starts the stand-in and waits until it serves `service`.
  bool Serve(const QString& kind, const QString& service) {
    auto* standin = new QProcess;
    standins_.push_back(standin);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    standin->setProcessEnvironment(environment);
    standin->start(QStringLiteral(NTR_DBUS_STANDIN), {kind});
    for (int i = 0; i < 250; ++i) {
      if (bus_->interface()->isServiceRegistered(service)) return true;
      QThread::msleep(20);
    }
    return false;
  }

 private:
  QProcess daemon_;
  QString address_;
  std::unique_ptr<QDBusConnection> bus_;
  std::vector<QProcess*> standins_;
};

QDBusConnection NoBus() { return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/ntr"), QStringLiteral("ntr-none")); }

// A run of two notes on fakes, with the inhibitor following it.
struct InhibitedRun : testing::Rig {
  explicit InhibitedRun(SleepInhibitor& inhibitor) : inhibitor(inhibitor) {
    AddRows({60, 62}, 100, 50);
    controller.AddObserver(&inhibitor);
  }
  ~InhibitedRun() { controller.RemoveObserver(&inhibitor); }

  SleepInhibitor& inhibitor;
};

// Asks the stand-in behind `service` at `path`.
QVariant AskStandin(QDBusConnection& bus, const QString& service, const QString& path, const QString& what) {
  const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(service, path, QStringLiteral("ntr.test.Standin"), what));
  return reply.arguments().value(0);
}

// While each take is saved: is the inhibition in force?
struct HeldDuringTakes : RunObserver {
  explicit HeldDuringTakes(std::function<bool()> held) : held(std::move(held)) {}
  void TakeSaved(const SavedTake&) override { seen.push_back(held()); }
  std::function<bool()> held;
  std::vector<bool> seen;
};

TEST(SleepInhibitor, LogindLockIsHeldForTheRunAndGivenBackHoweverItEnds) {
  PrivateBus bus;
  if (!bus.Up()) GTEST_SKIP() << "dbus-daemon cannot be started here";
  const QString service = QStringLiteral("org.freedesktop.login1");
  ASSERT_TRUE(bus.Serve(QStringLiteral("logind"), service));
  const auto held = [&] { return AskStandin(bus.Bus(), service, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("Held")).toBool(); };

  std::vector<std::string> warnings;
  SleepInhibitor inhibitor(bus.Bus(), bus.Bus(), [&](const std::string& line) { warnings.push_back(line); });
  enum class End { LastTake, Stop, Failure };
  for (const End end : {End::LastTake, End::Stop, End::Failure}) {
    InhibitedRun run(inhibitor);
    HeldDuringTakes during(held);
    run.controller.AddObserver(&during);
    struct StopAtFirstTake : RunObserver {
      explicit StopAtFirstTake(RunController& c) : controller(c) {}
      void TakeSaved(const SavedTake&) override { controller.Stop(); }
      RunController& controller;
    } stopper(run.controller);
    if (end == End::Stop) run.controller.AddObserver(&stopper);
    if (end == End::Failure) run.recorder.FailAt(fakes::RecorderOp::Record, "the device went away", 2);
    run.controller.StartOrSuspend();
    run.controller.RemoveObserver(&during);
    run.controller.RemoveObserver(&stopper);

    const RunOutcome expected = end == End::LastTake ? RunOutcome::Completed
                                : end == End::Stop   ? RunOutcome::Stopped
                                                     : RunOutcome::EventFailed;
    EXPECT_EQ(run.controller.LastResult()->outcome, expected);
    EXPECT_EQ(during.seen, std::vector<bool>(end == End::LastTake ? 2 : 1, true));
    EXPECT_FALSE(held()) << "given back when the run ended";
  }
  const QStringList calls = AskStandin(bus.Bus(), service, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("Calls")).toStringList();
  EXPECT_EQ(calls.size(), 3);
  EXPECT_EQ(calls.value(0), QStringLiteral("Inhibit sleep:idle NTR A sampling run is recording block"));
  EXPECT_TRUE(warnings.empty());
}

TEST(SleepInhibitor, WithoutLogindTheScreenSaverIsInhibitedAndWithoutDbusTheRunGoesOnWithAWarning) {
  PrivateBus bus;
  if (!bus.Up()) GTEST_SKIP() << "dbus-daemon cannot be started here";
  const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
  ASSERT_TRUE(bus.Serve(QStringLiteral("screensaver"), service));
  {
    SleepInhibitor inhibitor(NoBus(), bus.Bus(), {});
    InhibitedRun run(inhibitor);
    HeldDuringTakes during([&] { return inhibitor.Held(); });
    run.controller.AddObserver(&during);
    run.controller.StartOrSuspend();
    run.controller.RemoveObserver(&during);
    EXPECT_EQ(during.seen, (std::vector<bool>{true, true}));
  }
  const QStringList calls =
      AskStandin(bus.Bus(), service, QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("Calls")).toStringList();
  EXPECT_EQ(calls, (QStringList{QStringLiteral("Inhibit NTR A sampling run is recording"), QStringLiteral("UnInhibit 1")}));

  std::vector<std::string> warnings;
  SleepInhibitor none(NoBus(), NoBus(), [&](const std::string& line) { warnings.push_back(line); });
  InhibitedRun run(none);
  run.controller.StartOrSuspend();
  EXPECT_EQ(run.controller.LastResult()->outcome, RunOutcome::Completed);
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
