# Turns the readable engine script into one line in a C++ header: comment lines go, every other line
# is trimmed, and the lines are joined by single spaces. Anything but printable ASCII stops the build.
#   cmake -DINPUT=engine_script.js -DOUTPUT=engine_script.h -P one_line_script.cmake
file(READ "${INPUT}" script)
string(REPLACE "\r" "" script "${script}")
string(REGEX REPLACE "\n[ ]*//[^\n]*" "" script "\n${script}")
string(REGEX REPLACE "[ ]*\n[ ]*" "\n" script "${script}")
string(REGEX REPLACE "\n+" " " script "${script}")
string(STRIP "${script}" script)

string(REGEX MATCH "[^ -~]" bad_character "${script}")
if(NOT bad_character STREQUAL "")
  message(FATAL_ERROR "${INPUT}: only printable ASCII may go into the engine script")
endif()
string(FIND "${script}" ")js\"" end_of_literal)
if(NOT end_of_literal EQUAL -1)
  message(FATAL_ERROR "${INPUT}: the text )js\" would end the C++ literal")
endif()

file(WRITE "${OUTPUT}" "#pragma once
// Generated from json/engine_script.js by json/one_line_script.cmake.

namespace varnelle {

// The script every JSON document's engine receives: one line of ASCII.
inline constexpr char kEngineScript[] = R\"js(${script})js\";

}  // namespace varnelle
")
