// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Timing probes around the run's MIDI output and recorder: each call is
// stamped on the monotonic clock and with the process's CPU time, so a run can
// be measured exactly as the program makes it (the probes only forward).

#include <string>
#include <vector>

#include "engine/ports.h"

namespace ntr::bench {

double WallSeconds();        // monotonic
double ProcessCpuSeconds();  // all threads of this process

// One event's stamps (seconds; wall clock unless named cpu).
struct EventStamps {
  double recordCalled = 0, recordReturned = 0;
  double noteOn = 0, noteOff = 0;        // when the engine sent them
  double holdStart = 0, holdEnd = 0;     // the note's wait: after note on returned, before note off
  double decayStart = 0, decayEnd = 0;   // the decay's wait: after note off returned, before stop
  double cpuHoldStart = 0, cpuHoldEnd = 0, cpuDecayStart = 0, cpuDecayEnd = 0;
  double stopCalled = 0, stopReturned = 0;
  bool stopFailed = false;  // the recorder lost audio: the event's take was made again
  // Where the time between two takes goes.
  double newCalled = 0, newReturned = 0, saveCalled = 0, saveReturned = 0, closeCalled = 0, closeReturned = 0;
  // The engine's deliberate waits between the last take's stop and this
  // recording (the pause after a program change, the pause before a retake).
  double pauseBefore = 0;
  int note = -1;
  std::string file;
};

class Probe {
 public:
  std::vector<EventStamps> events;
  double pendingPause = 0;  // waited since the last stop, for the next recording
  EventStamps& Current();
  // No take is being recorded: a wait now is a pause between takes.
  bool BetweenTakes() const { return events.empty() || events.back().stopCalled > 0; }
};

// Times the engine's waits; those made between takes are pauses, not dead time.
class TimedClock : public ClockPort {
 public:
  TimedClock(ClockPort& inner, Probe& probe) : inner_(inner), probe_(probe) {}
  double Now() override { return inner_.Now(); }
  void Yield() override { inner_.Yield(); }
  void WaitUntil(double deadline) override;

 private:
  ClockPort& inner_;
  Probe& probe_;
};

class TimedRecorder : public RecorderPort {
 public:
  TimedRecorder(RecorderPort& inner, Probe& probe) : inner_(inner), probe_(probe) {}
  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override { inner_.SetFormat(format); }
  void Record() override;
  void Stop() override;
  void Save(const std::string& path) override;
  void Close() override;
  void EndOfRun() override { inner_.EndOfRun(); }

 private:
  RecorderPort& inner_;
  Probe& probe_;
};

class TimedMidi : public MidiOutputPort {
 public:
  TimedMidi(MidiOutputPort& inner, Probe& probe) : inner_(inner), probe_(probe) {}
  int OpenMidiOutput() override { return inner_.OpenMidiOutput(); }
  std::string LastOpenError() const override { return inner_.LastOpenError(); }
  void CloseMidiOutput() override { inner_.CloseMidiOutput(); }
  void SetChannelAndVelocity(int channel, int velocity) override { inner_.SetChannelAndVelocity(channel, velocity); }
  void SendProgramChange(int program) override { inner_.SendProgramChange(program); }
  void SendNoteOn(int note) override;
  void SendNoteOff(int note) override;

 private:
  MidiOutputPort& inner_;
  Probe& probe_;
};

}  // namespace ntr::bench
