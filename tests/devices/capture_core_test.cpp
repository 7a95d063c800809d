// SPDX-License-Identifier: GPL-3.0-or-later
// The capture core over a fake input stream: the test plays the audio
// thread by pushing frames into the sink between Start and Stop.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "devices/capture/capture_core.h"
#include "engine/ports.h"

namespace ntr {
namespace {

struct FakeDevice {
  int opens = 0;
  int starts = 0;
  bool alive = true;
  InputSink* sink = nullptr;
};

class FakeInputStream : public InputStream {
 public:
  explicit FakeInputStream(FakeDevice& device) : device_(device) {}
  ~FakeInputStream() override { device_.sink = nullptr; }
  InputFormat Format() const override { return {1000, 2}; }
  void Open(InputSink& sink) override {
    ++device_.opens;
    device_.alive = true;
    device_.sink = &sink;
  }
  void Start() override { ++device_.starts; }
  bool Alive() const override { return device_.alive; }
  void Stop() override {}
  void Close() override { device_.sink = nullptr; }
  std::string Description() const override { return "Fake, card, 2 channel(s) at 1000 Hz"; }

 private:
  FakeDevice& device_;
};

class CaptureCoreTest : public ::testing::Test {
 protected:
  void NewTake(bool fits = true) {
    core_.NewTake(fits, [this] { return std::make_unique<FakeInputStream>(device_); });
  }
  void Push(std::size_t frames, bool overflow = false) {
    const std::vector<float> input(frames * 2, 0.5f);
    device_.sink->OnInput(input.data(), frames, overflow);
  }

  FakeDevice device_;
  CaptureCore core_{0.1};  // a ring of 100 frames (rounded up to 128)
};

TEST_F(CaptureCoreTest, KeepsTheStreamOpenBetweenTakesAndThroughLostAudio) {
  NewTake();
  core_.Start();
  Push(10);
  EXPECT_NO_THROW(core_.Stop());
  EXPECT_EQ(core_.Take().samples.size(), 20u);
  EXPECT_EQ(core_.Take().sampleRate, 1000);
  Push(10);  // between takes the input is discarded

  NewTake();
  core_.Start();
  Push(5, /*overflow=*/true);
  try {
    core_.Stop();
    FAIL() << "lost audio was not reported";
  } catch (const AudioDropoutError& e) {
    EXPECT_STREQ(e.what(),
                 "Audio was lost during the take (Fake, card, 2 channel(s) at 1000 Hz): 1 input overrun(s) reported "
                 "by the audio system");
  }
  NewTake();
  core_.Start();
  Push(200);  // more than the ring holds: nobody drained it in time
  EXPECT_THROW(core_.Stop(), AudioDropoutError);
  EXPECT_TRUE(core_.StreamOpen());

  NewTake();
  EXPECT_TRUE(core_.Take().samples.empty());
  core_.Start();
  Push(3);
  core_.Stop();
  EXPECT_EQ(core_.Take().samples.size(), 6u);
  EXPECT_EQ(device_.opens, 1);
  EXPECT_EQ(device_.starts, 4);
}

TEST_F(CaptureCoreTest, OpensAnewWhenTheStreamNoLongerFitsOrEndedOnItsOwn) {
  NewTake();
  NewTake(/*fits=*/false);
  EXPECT_EQ(device_.opens, 2);

  core_.Start();
  device_.alive = false;
  EXPECT_THROW(core_.Stop(), DeviceError);
  EXPECT_FALSE(core_.StreamOpen());
  NewTake();
  EXPECT_EQ(device_.opens, 3);
  core_.CloseStream();
  EXPECT_THROW(core_.Start(), DeviceError);
}

}  // namespace
}  // namespace ntr
