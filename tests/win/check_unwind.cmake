# cmake -DOBJDUMP=... -DFOLDER=... -P check_unwind.cmake
# Fails unless every 32-bit program in FOLDER registers its unwind tables.
# Such a program unwinds by the DWARF tables in .eh_frame, which the runtime
# must be handed at start-up (GCC's crtbegin.o passes the address of its part
# of the section to __register_frame_info). A link that leaves that out builds
# and starts, then ends at the first throw. So some instruction must hold an
# address inside .eh_frame as an immediate.
file(GLOB exes ${FOLDER}/*.exe)
if(NOT exes)
  message(FATAL_ERROR "no program in ${FOLDER}")
endif()
foreach(exe ${exes})
  execute_process(COMMAND ${OBJDUMP} -h ${exe} OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${exe}")
  endif()
  if(NOT sections MATCHES "file format pei-i386")
    continue()  # 64 bits unwind by the tables of .pdata, which need no registration
  endif()
  # A stripped program keeps eight characters of a section's name: ".eh_fram".
  if(NOT sections MATCHES "\n *[0-9]+ \\.eh_fram[a-z]* +([0-9a-f]+) +([0-9a-f]+)")
    message(STATUS "${exe}: no unwind tables")
    continue()
  endif()
  math(EXPR low "0x${CMAKE_MATCH_2}")
  math(EXPR high "0x${CMAKE_MATCH_2} + 0x${CMAKE_MATCH_1}")
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${exe} OUTPUT_VARIABLE code RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${exe}")
  endif()
  string(REGEX MATCHALL "\\$0x[0-9a-f]+" immediates "${code}")
  list(REMOVE_DUPLICATES immediates)
  set(registered "")
  foreach(immediate ${immediates})
    string(SUBSTRING "${immediate}" 1 -1 value)
    math(EXPR value "${value}")
    if(value GREATER_EQUAL low AND value LESS high)
      set(registered "${immediate}")
      break()
    endif()
  endforeach()
  if(NOT registered)
    message(FATAL_ERROR "${exe} never hands its unwind tables (.eh_frame) to the runtime: its first throw ends it")
  endif()
  message(STATUS "${exe}: unwind tables registered (${registered})")
endforeach()
