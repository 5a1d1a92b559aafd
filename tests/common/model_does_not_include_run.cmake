# Fails when code of the model (anything under src/ but the program in
# src/run/) includes a header of the program: the model stands on its own,
# and the program, the in-process interface and the tests stand on it.
#   cmake -DSOURCE_DIR=<repository>/src -P model_does_not_include_run.cmake
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.hpp")
set(found "")
foreach(source IN LISTS sources)
  if(source MATCHES "/src/run/")
    continue()
  endif()
  file(STRINGS "${source}" lines REGEX "#include \"run/")
  foreach(line IN LISTS lines)
    string(APPEND found "  ${source}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "the model includes the program's headers:\n${found}")
endif()
message(STATUS "no model code in ${SOURCE_DIR} includes src/run/")
