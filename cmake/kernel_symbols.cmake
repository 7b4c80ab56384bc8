# Checks the objects of one copy of the matrix kernels (cmake -P, from CTest):
# every symbol the copy defines beyond its local ones is its own, a name that
# holds the copy's name (its Eigen namespace ZrEigen<COPY>, its table
# ZR::kernels<COPY>); none may stand in for another copy's or the program's
# code. The one exception is the personality routine's address that GCC keeps
# beside position-independent code: data, the same in every object. Nor may
# the copy run code at load time, on a processor it may not suit (but for the
# constructor with which AddressSanitizer registers an instrumented object's
# globals: that build checks the other rules).
#   -DCOPY=Avx2Fma -DOBJECTS=a.o;b.o -DNM=nm -DOBJDUMP=objdump
set(table_seen FALSE)
foreach(object ${OBJECTS})
  execute_process(COMMAND ${NM} -g --defined-only ${object} RESULT_VARIABLE rc OUTPUT_VARIABLE symbols
                  ERROR_VARIABLE error)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} ${object} failed: ${error}")
  endif()
  string(REPLACE "\n" ";" symbols "${symbols}")
  foreach(line ${symbols})
    if(NOT line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
      continue()
    endif()
    set(kind ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(name MATCHES "kernels${COPY}")
      set(table_seen TRUE)
    elseif(NOT name MATCHES "ZrEigen${COPY}" AND NOT name STREQUAL "DW.ref.__gxx_personality_v0")
      list(APPEND foreign "${kind} ${name}")
    endif()
  endforeach()
  execute_process(COMMAND ${OBJDUMP} -h ${object} OUTPUT_VARIABLE sections)
  execute_process(COMMAND ${NM} -u ${object} OUTPUT_VARIABLE undefined)
  if(sections MATCHES " (\\.init_array|\\.ctors)[. ]")
    set(section ${CMAKE_MATCH_1})
    if(NOT undefined MATCHES "__asan_init")
      list(APPEND foreign "load-time code: section ${section}")
    endif()
  endif()
endforeach()
if(foreign)
  list(JOIN foreign "\n  " foreign)
  message(FATAL_ERROR "The ${COPY} kernels define what is not their own:\n  ${foreign}")
endif()
if(NOT table_seen)
  message(FATAL_ERROR "No table ZR::kernels${COPY} in ${OBJECTS}")
endif()
message(STATUS "The ${COPY} kernels define only their own symbols")
