# Installs the build into WORK_DIR/root (prefix /usr) and checks what a
# desktop, AppStream and man read there, and that the installed programs run.
# Arguments: BUILD_DIR, WORK_DIR, DESKTOP_FILE_VALIDATE, APPSTREAMCLI, MAN.
file(REMOVE_RECURSE "${WORK_DIR}")
set(root "${WORK_DIR}/root")
set(ENV{DESTDIR} "${root}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "install failed")
endif()
set(usr "${root}/usr")

# Runs a command that must succeed and say nothing on stderr; its output in `output`.
function(expect_clean name)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(failed OR NOT err STREQUAL "")
    message(FATAL_ERROR "${name}: exit ${failed}\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

set(id org.notarra.NTR)
expect_clean("desktop-file-validate" "${DESKTOP_FILE_VALIDATE}" "${usr}/share/applications/${id}.desktop")
if(NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate warns:\n${output}")
endif()
# The metadata with the desktop entry it launches, offline.
expect_clean("appstreamcli validate-tree" "${APPSTREAMCLI}" validate-tree --no-net "${root}")
file(READ "${usr}/share/metainfo/${id}.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<image>https?://[^<]+/docs/main-window\\.png</image>")
  message(FATAL_ERROR "the AppStream screenshot is not the main window's picture")
endif()

# The icon in every size the theme has it in, each PNG as large as its folder says.
foreach(size 16 24 32 48 64 128 256)
  set(png "${usr}/share/icons/hicolor/${size}x${size}/apps/${id}.png")
  file(READ "${png}" header OFFSET 16 LIMIT 8 HEX)
  math(EXPR expected "(${size} << 32) | ${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x" "" expected "${expected}")
  string(LENGTH "${expected}" digits)
  math(EXPR pad "16 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  if(NOT header STREQUAL "${zeros}${expected}")
    message(FATAL_ERROR "${png} is not ${size}x${size} (IHDR ${header})")
  endif()
endforeach()
if(NOT EXISTS "${usr}/share/icons/hicolor/scalable/apps/${id}.svg")
  message(FATAL_ERROR "no scalable icon")
endif()

# The manual pages format without a warning, under both of NTR's names.
set(ENV{MANWIDTH} 80)
foreach(page ntr NTR qwav)
  expect_clean("man ${page}" "${MAN}" --warnings -l "${usr}/share/man/man1/${page}.1.gz")
  foreach(section "SYNOPSIS" "EXIT STATUS" "EXAMPLES")
    if(NOT output MATCHES "${section}")
      message(FATAL_ERROR "man ${page} has no ${section}")
    endif()
  endforeach()
endforeach()
foreach(text "SETTINGS" "FILES" "ENVIRONMENT" "MidiDev" "--settings FILE" "NTR - Notarra.ini")
  execute_process(COMMAND "${MAN}" -l "${usr}/share/man/man1/ntr.1.gz" OUTPUT_VARIABLE ntr_page ERROR_QUIET)
  string(FIND "${ntr_page}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "man ntr does not mention ${text}")
  endif()
endforeach()

# The installed programs find the installed library.
expect_clean("ntr --help" "${usr}/bin/ntr" --help)
expect_clean("qwav --help" "${usr}/bin/qwav" --help)
file(REMOVE_RECURSE "${WORK_DIR}")
