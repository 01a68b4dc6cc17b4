# Builds a MIME database from the package file alone, in a directory of its
# own, and checks that it names *.hyt in any case as application/x-hyt.
# update-mime-database skips what it cannot read with no more than a warning,
# so the database it writes is what is checked.
# Usage: cmake -DUPDATE=update-mime-database -DPACKAGE=hyt.xml -DWORK=dir -P check_mime.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/packages")
file(COPY "${PACKAGE}" DESTINATION "${WORK}/packages")
# In the search path, so that the tool's only words are about the package.
get_filename_component(parent "${WORK}" DIRECTORY)
set(ENV{XDG_DATA_DIRS} "${parent}")
execute_process(COMMAND "${UPDATE}" "${WORK}" RESULT_VARIABLE status ERROR_VARIABLE err TIMEOUT 60)
if(NOT status STREQUAL "0" OR NOT err STREQUAL "")
  message(FATAL_ERROR "update-mime-database: status ${status}\n${err}")
endif()
# A glob line is weight:type:pattern, with a last field ":cs" only when the
# pattern is case-sensitive.
file(STRINGS "${WORK}/globs2" globs REGEX "^[0-9]+:application/x-hyt:")
if(NOT globs STREQUAL "50:application/x-hyt:*.hyt")
  message(FATAL_ERROR "globs2 holds [${globs}] for application/x-hyt, "
                      "expected [50:application/x-hyt:*.hyt]")
endif()
file(READ "${WORK}/application/x-hyt.xml" type)
if(NOT type MATCHES "<comment xml:lang=\"es\">[^<]+</comment>")
  message(FATAL_ERROR "application/x-hyt has no Spanish comment:\n${type}")
endif()
file(REMOVE_RECURSE "${WORK}")
