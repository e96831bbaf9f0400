# Turns res/strings.txt (id, tab, text; UTF-8) into a STRINGTABLE resource script.
# Run as: cmake -DINPUT=... -DOUTPUT=... -P make_string_table.cmake
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "")
foreach(line IN LISTS lines)
  # The events' texts (1000 to 1999) are the message table's (make_message_table.cmake).
  if(line MATCHES "^#" OR line STREQUAL "" OR line MATCHES "^1[0-9][0-9][0-9]\t")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t(.*)$")
    message(FATAL_ERROR "malformed string table line: ${line}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  string(REPLACE "\"" "\"\"" text "${text}")
  # Narrow literals: windres converts them from the code page below, whereas it widens the
  # bytes of an L"" literal one by one and so garbles every non-ASCII letter.
  string(APPEND body "    ${id}, \"${text}\"\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"#pragma code_page(65001)\n"
"LANGUAGE 0x10, 0x01\n"
"STRINGTABLE\n"
"BEGIN\n${body}END\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
