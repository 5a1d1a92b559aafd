# Fails when a source file of the model calls an elementary function of the C
# library (std::log, std::exp, std::cos, ...): their last bit depends on the
# CPU's libm variant, so the model must call the correctly rounded cr_log,
# cr_exp, ... instead (common/elementary.hpp). std::sqrt stays allowed: it is
# correctly rounded by IEEE 754.
#   cmake -DSOURCE_DIR=<repository>/src -P no_libm_elementary_functions.cmake
file(GLOB_RECURSE sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.hpp")
set(pattern "std::(log|log1p|log2|log10|exp|exp2|expm1|pow|sin|cos|tan|asin|acos|atan|atan2|sinh|cosh|tanh|asinh|acosh|atanh|hypot|cbrt|erf|erfc|tgamma|lgamma)[ ]*\\(")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "${pattern}")
  foreach(line IN LISTS lines)
    string(APPEND found "  ${source}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "C library elementary functions in the model (use the cr_ functions of common/elementary.hpp):\n${found}")
endif()
message(STATUS "no C library elementary function in ${SOURCE_DIR}")
