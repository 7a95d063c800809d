# SPDX-License-Identifier: GPL-3.0-or-later
# Project-wide compiler flags: warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra -Wpedantic)
if(NTR_WERROR)
  add_compile_options(-Werror)
endif()

if(NTR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Where the shared test data lives (outside the repository, beside it).
get_filename_component(NTR_SHARED_DIR "${PROJECT_SOURCE_DIR}/../shared" ABSOLUTE)
set(NTR_WAV_CORPUS_DIR "${NTR_SHARED_DIR}/wav-corpus" CACHE PATH "Folder of the WAV test corpus")
