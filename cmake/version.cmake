# The version tidmor reports: the project version, followed by
# `git describe --always --dirty` when the sources are a git checkout and
# git is at hand. Taken when the build is configured.
set(TIDMOR_VERSION_TEXT "${PROJECT_VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${CMAKE_SOURCE_DIR}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" describe --always --dirty
    WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
    OUTPUT_VARIABLE TIDMOR_GIT_DESCRIPTION
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET
    RESULT_VARIABLE TIDMOR_GIT_RESULT)
  if(TIDMOR_GIT_RESULT EQUAL 0 AND TIDMOR_GIT_DESCRIPTION)
    set(TIDMOR_VERSION_TEXT "${PROJECT_VERSION}+${TIDMOR_GIT_DESCRIPTION}")
  endif()
endif()
configure_file("${CMAKE_SOURCE_DIR}/cmake/version.hpp.in" "${CMAKE_BINARY_DIR}/generated/run/version.hpp" @ONLY)
