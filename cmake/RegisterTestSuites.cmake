# Run after a test program is built (cmake -P): lists its GoogleTest suites and
# writes one CTest test per suite into OUT. One process per suite keeps the
# per-program caches (base databases, reader services) working across a suite's
# cases and makes a test's name the suite's, the same from build to build.
# A suite of SHARD_MIN cases or more is split into SHARDS shards through
# GoogleTest's own sharding, so that a long suite does not hold a parallel run.
#
# Variables: EXE, OUT, PROGRAM (the name's prefix), WORKDIR, LABELS (a
# ;-list), ENVIRONMENT (a ;-list of NAME=VALUE), SHARDS, SHARD_MIN, CACHE (the
# folder where tests keep what outlives a process).
cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen "${EXE}" --gtest_list_tests
  WORKING_DIRECTORY "${WORKDIR}"
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE rc
  TIMEOUT 60)
if(NOT rc EQUAL 0)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${rc}):\n${listing}\n${errors}")
endif()

# "Suite.  # TypeParam = …" opens a suite; "  Test  # GetParam() = …" is a case.
# The comments go first: values may hold any byte, brackets and ";" included.
string(REGEX REPLACE "  +# [^\n]*" "" listing "${listing}")
string(REPLACE ";" "" listing "${listing}")
string(REPLACE "[" "" listing "${listing}")
string(REPLACE "]" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(suites "")
set(suite "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #][^ ]*)\\.$")
    set(suite "${CMAKE_MATCH_1}")
    list(APPEND suites "${suite}")
    set(count_${suite} 0)
  elseif(line MATCHES "^  ([^ ]+)" AND NOT suite STREQUAL "")
    if(NOT CMAKE_MATCH_1 MATCHES "^DISABLED_")
      math(EXPR count_${suite} "${count_${suite}} + 1")
    endif()
  endif()
endforeach()

# Bracket arguments keep names with any character as they are.
function(bracket out value)
  set(${out} "[==[${value}]==]" PARENT_SCOPE)
endfunction()

set(env "PARABASE_ALL_SKIPPED_EXIT=77;PARABASE_TEST_CACHE=${CACHE}")
foreach(e IN LISTS ENVIRONMENT)
  string(APPEND env ";${e}")
endforeach()
set(labels "${LABELS}")

set(text "# Made by RegisterTestSuites.cmake from ${EXE}; do not edit.\n")
foreach(suite IN LISTS suites)
  set(cases ${count_${suite}})
  if(cases EQUAL 0 OR suite MATCHES "^DISABLED_")
    continue()
  endif()
  set(shards 1)
  if(SHARDS GREATER 1 AND cases GREATER_EQUAL SHARD_MIN)
    set(shards ${SHARDS})
    if(shards GREATER cases)
      set(shards ${cases})
    endif()
  endif()
  math(EXPR last "${shards} - 1")
  foreach(index RANGE ${last})
    set(name "${PROGRAM}:${suite}")
    set(shard_env "")
    if(shards GREATER 1)
      math(EXPR number "${index} + 1")
      string(APPEND name ":${number}of${shards}")
      set(shard_env ";GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${index}")
    endif()
    bracket(qname "${name}")
    bracket(qexe "${EXE}")
    bracket(qfilter "--gtest_filter=${suite}.*")
    bracket(qdir "${WORKDIR}")
    string(APPEND text
      "add_test(${qname} ${qexe} ${qfilter})\n"
      "set_tests_properties(${qname} PROPERTIES WORKING_DIRECTORY ${qdir}"
      " SKIP_RETURN_CODE 77 LABELS \"${labels}\" ENVIRONMENT \"${env}${shard_env}\")\n")
  endforeach()
endforeach()

# Written only when it changes, so that CTest's cost data keeps its meaning.
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
