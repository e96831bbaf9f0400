# Turns the event texts of res/strings.txt (ids 1000 to 1999) into a message compiler input
# for windmc: Italian, severity and facility 0, so that an event's id is its text's id.
# Run as: cmake -DINPUT=... -DOUTPUT=... -P make_message_table.cmake
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "LanguageNames=(Italian=0x410:MSG01040)\nFacilityNames=(Orvh=0x0)\n\n")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^(1[0-9][0-9][0-9])\t(.*)$")
    continue()
  endif()
  string(APPEND body "MessageId=${CMAKE_MATCH_1}\nSeverity=Success\nFacility=Orvh\nLanguage=Italian\n${CMAKE_MATCH_2}\n.\n\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
