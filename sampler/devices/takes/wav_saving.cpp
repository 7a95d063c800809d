// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/takes/wav_saving.h"

#include <quendal/pcm_wav.h>
#include <quendal/wav_errors.h>

#include <exception>

namespace ntr {

void SavePcmWav(const std::string& path, const RecordingFormat& format, const std::string& pcmBytes) {
  try {
    const quendal::PcmFormat layout{format.samplesPerSec, format.bitsPerSample, format.channels};
    if (HasFloatSamples(format)) {
      quendal::SaveFloatWav(path, layout, pcmBytes);
    } else {
      quendal::SavePcmWav(path, layout, pcmBytes);
    }
  } catch (const quendal::OverflowError&) {
    throw DeviceError("The recording is too long to be saved as a WAV file: " + path);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't save the recording " + path + ": " + e.what());
  }
}

}  // namespace ntr
