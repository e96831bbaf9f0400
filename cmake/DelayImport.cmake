# Delay-loaded system libraries: an import library whose DLL is loaded at the first call
# of one of its functions instead of at program start. Made at configure time from the
# toolchain's ordinary import library (its __imp_ symbols are the DLL's exports).
#   orvh_delay_import(NAME msi DLL msi.dll)  ->  imported library target orvh_delay_msi
function(orvh_delay_import)
  cmake_parse_arguments(arg "" "NAME;DLL" "" ${ARGN})
  find_library(import_lib_${arg_NAME} NAMES lib${arg_NAME}.a REQUIRED)
  set(def ${CMAKE_BINARY_DIR}/delay/${arg_NAME}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay/lib${arg_NAME}_delay.a)
  execute_process(COMMAND ${CMAKE_NM} ${import_lib_${arg_NAME}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@]+" imports "${symbols}")
  list(TRANSFORM imports REPLACE "^I __imp_" "")
  list(REMOVE_DUPLICATES imports)
  list(JOIN imports "\n" exports)
  file(WRITE ${def} "LIBRARY ${arg_DLL}\nEXPORTS\n${exports}\n")
  execute_process(COMMAND ${CMAKE_DLLTOOL} -d ${def} -D ${arg_DLL} -y ${lib} COMMAND_ERROR_IS_FATAL ANY)
  add_library(orvh_delay_${arg_NAME} STATIC IMPORTED GLOBAL)
  set_target_properties(orvh_delay_${arg_NAME} PROPERTIES IMPORTED_LOCATION ${lib})
endfunction()
