// SPDX-License-Identifier: MIT
#pragma once
// Everything of QuendalWav in one include.

#include "quendal/pcm_wav.h"
#include "quendal/qd_wav_module.h"
#include "quendal/unity_note.h"
#include "quendal/wav.h"
#include "quendal/wav_chunk.h"
#include "quendal/wav_collection.h"
#include "quendal/wav_cue.h"
#include "quendal/wav_errors.h"
#include "quendal/wav_list.h"
#include "quendal/wav_plst.h"
#include "quendal/wav_simple_chunks.h"
#include "quendal/wav_smpl.h"
