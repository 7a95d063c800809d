# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages, one per install component: ntr (component NTR),
# libquendalwav1 (QuendalWav: the library and qwav) and libquendalwav-dev
# (QuendalWav_Development). The library's install rules name no component, so
# its development files are moved out of QuendalWav by path before packaging
# (split_development_files.cmake), as Debian splits a -dev package.
# Run-time dependencies come from the binaries (dpkg-shlibdeps).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ntr)
set(CPACK_PACKAGE_VENDOR "The NTR developers")
set(CPACK_PACKAGE_CONTACT "The NTR developers")
if(NTR_PACKAGE_MAINTAINER_EMAIL)
  string(APPEND CPACK_PACKAGE_CONTACT " <${NTR_PACKAGE_MAINTAINER_EMAIL}>")
endif()
if(NTR_PACKAGE_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${NTR_PACKAGE_HOMEPAGE}")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")  # programs built on it need this version or later
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# NTR needs the library of its own build, which is in no installed package
# yet: dpkg-shlibdeps reads it where it was built; the dependency on its
# package comes from the components' DEPENDS.
get_target_property(quendal_wav_dir QuendalWav BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${quendal_wav_dir})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/split_development_files.cmake)

include(CPackComponent)
cpack_add_component(NTR DEPENDS QuendalWav DESCRIPTION
  "automatic instrument sampler
NTR plays every chosen note of a MIDI instrument (a hardware synthesizer or
sound module, or the built-in General MIDI synthesizer) and records each note
into a WAV file of its own, in a folder tree by program and note, optionally
tagged with its unity note. The window, and ntr --batch for unattended runs.")
cpack_add_component(QuendalWav DESCRIPTION
  "RIFF WAVE chunk library, and the qwav tool
QuendalWav models a WAV file as chunk objects (fmt, data, cue, smpl, LIST, ...)
and reads and writes it. qwav shows a file's chunks as JSON, copies files and
sets a file's unity note.")
cpack_add_component(QuendalWav_Development DEPENDS QuendalWav DESCRIPTION
  "RIFF WAVE chunk library - development files
Headers, CMake package (find_package(QuendalWav)) and pkg-config file of the
QuendalWav library.")
set(CPACK_COMPONENTS_ALL NTR QuendalWav QuendalWav_Development)

set(CPACK_DEBIAN_NTR_PACKAGE_NAME ntr)
set(CPACK_DEBIAN_NTR_PACKAGE_SECTION sound)
# The built-in synthesizer's General MIDI SoundFont, and Qt's display plugins.
set(CPACK_DEBIAN_NTR_PACKAGE_DEPENDS "timgm6mb-soundfont | sf2-soundfont-gm, qt6-qpa-plugins")
set(CPACK_DEBIAN_QUENDALWAV_PACKAGE_NAME libquendalwav${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_QUENDALWAV_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_QUENDALWAV_DEVELOPMENT_PACKAGE_NAME libquendalwav-dev)
set(CPACK_DEBIAN_QUENDALWAV_DEVELOPMENT_PACKAGE_SECTION libdevel)

include(CPack)
