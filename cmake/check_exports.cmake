# Fails when the shared library exports anything but its C interfaces:
# every other symbol (our C++ classes, the finite-state library) stays private.
execute_process(COMMAND nm -D --defined-only ${LIB}
  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}")
endif()
string(REPLACE "\n" ";" lines "${out}")
set(bad "")
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" sym "${line}")
  if(sym STREQUAL "")
    continue()
  endif()
  if(sym MATCHES "^(zel_api_|kavero_plugin_)" OR
     sym MATCHES "^(get_engine|get_domain|get_blackboard|find_morph_data|global_plugin_mutex|local_string_buffer)$" OR
     sym MATCHES "^_ZTH19local_string_buffer" OR
     sym MATCHES "^(language_return_value|debug_buffer|tl_document_id|engine_info_data|tl_languages|filter_info_data|pipline_data)$" OR
     sym MATCHES "^(_init|_fini|__bss_start|_edata|_end)$")
    continue()
  endif()
  list(APPEND bad "${sym}")
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "libkavero.so exports symbols outside its interfaces:\n  ${text}")
endif()
