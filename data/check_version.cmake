# Runs PROGRAM --version with no display and checks that it prints exactly
# "NAME VERSION", says nothing on standard error and exits with status 0.
# Usage: cmake -DPROGRAM=... -DEXPECTED="hyt 1.0.0" -P check_version.cmake
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})
execute_process(COMMAND "${PROGRAM}" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT status STREQUAL "0" OR NOT out STREQUAL "${EXPECTED}\n" OR NOT err STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --version: status ${status}\n"
                      "stdout: [${out}]\nstderr: [${err}]\nexpected: [${EXPECTED}]")
endif()
