# Writes a C++ source that holds the host's Tcl scripts as one string constant.
# Usage: cmake -DOUTPUT=file.cpp -DSCRIPTS="a.tcl|b.tcl" -P EmbedScripts.cmake
string(REPLACE "|" ";" script_list "${SCRIPTS}")
set(content "")
foreach(script IN LISTS script_list)
  file(READ "${script}" text)
  string(APPEND content "${text}\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from the KelvoDSP host scripts by EmbedScripts.cmake; edit the .tcl files instead.\n"
  "extern const char* const kKelvoHostScript;\n"
  "const char* const kKelvoHostScript = R\"KWTCL(${content})KWTCL\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
