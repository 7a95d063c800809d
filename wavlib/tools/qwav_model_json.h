// SPDX-License-Identifier: MIT
#pragma once
// The chunk model as JSON members: one member per Wav property, each an object
// of that chunk's properties under their own names, collections as arrays.

#include "quendal/wav.h"
#include "qwav_json.h"

namespace qwav {

// Writes FileHeader ... PAD_Chunk and UnknownChunks as members of the object being written.
void WriteModelMembers(JsonWriter& json, const quendal::Wav& wav);

}  // namespace qwav
