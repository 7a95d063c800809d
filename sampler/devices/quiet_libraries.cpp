// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/quiet_libraries.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdarg>
#include <mutex>

namespace ntr {

namespace {

void DropJackMessage(const char* /*message*/) {}

void DropAlsaMessage(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
                     const char* /*format*/, ...) {}

}  // namespace

void QuietDeviceLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    jack_set_error_function(DropJackMessage);
    jack_set_info_function(DropJackMessage);
    snd_lib_error_set_handler(DropAlsaMessage);
  });
}

bool MidiSystemReachable(int rtMidiApi, std::string& whyNot) {
  QuietDeviceLibraries();
  const auto api = static_cast<RtMidi::Api>(rtMidiApi);
  if (api == RtMidi::UNIX_JACK) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open("NTR probe", JackNoStartServer, &status);
    if (client == nullptr) {
      whyNot = "no JACK server is running";
      return false;
    }
    jack_client_close(client);
    return true;
  }
  if (api == RtMidi::LINUX_ALSA) {
    snd_seq_t* sequencer = nullptr;
    const int result = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0);
    if (result < 0) {
      whyNot = std::string("the ALSA sequencer cannot be opened (") + snd_strerror(result) + ")";
      return false;
    }
    snd_seq_close(sequencer);
    return true;
  }
  return true;
}

}  // namespace ntr
