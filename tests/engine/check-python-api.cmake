# The build's check of the interpreter interface (engine/PythonApiCheck.cpp),
# compiled outside the build:
#   MODE=wrong-row: with a copy of engine/PythonApiTable.h whose
#     PyLong_FromLong takes an int instead of a long, found before the real
#     one, the check must fail and name the row; with the real table it must
#     pass.
#   MODE=releases: against the headers of every pyenv build of 3.8 or newer
#     on the machine (none: nothing to do), it must pass.
# Given: CXX and CXX_ID (the compiler and its CMake id), SOURCE_DIR, WORK_DIR,
# PYTHON_INCLUDE_DIRS (separated by |).
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" python_dirs "${PYTHON_INCLUDE_DIRS}")

function(compile_check out_result out_errors)
  set(includes)
  foreach(dir ${ARGN})
    list(APPEND includes -I${dir})
  endforeach()
  execute_process(
    COMMAND ${CXX} -std=c++20 -fsyntax-only -Wall -Wextra ${includes} ${SOURCE_DIR}/engine/PythonApiCheck.cpp
    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_errors} "${errors}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "wrong-row")
  file(READ ${SOURCE_DIR}/engine/PythonApiTable.h table)
  set(right "X(Function, PyLong_FromLong, PyLong_FromLong, Required, PyObject* (*)(long))")
  set(wrong "X(Function, PyLong_FromLong, PyLong_FromLong, Required, PyObject* (*)(int)) ")
  string(REPLACE "${right}" "${wrong}" changed "${table}")
  if(changed STREQUAL table)
    message(FATAL_ERROR "the table has no row ${right}")
  endif()
  file(REMOVE_RECURSE ${WORK_DIR})
  file(WRITE ${WORK_DIR}/engine/PythonApiTable.h "${changed}")

  compile_check(result errors ${WORK_DIR} ${SOURCE_DIR} ${python_dirs})
  if(result EQUAL 0)
    message(FATAL_ERROR "the check passed a table whose PyLong_FromLong takes an int")
  endif()
  # GCC names the row and both types in the instantiation it shows.
  if(NOT errors MATCHES "the table's slot type is not the interpreter's declaration of the symbol it binds"
     OR (CXX_ID STREQUAL "GNU" AND NOT errors MATCHES "\"PyLong_FromLong\"}, own::PyObject\\* \\(\\*\\)\\(int\\)"))
    message(FATAL_ERROR "the check failed for another reason, or without naming the row:\n${errors}")
  endif()
  message(STATUS "A wrong row fails the check:\n${errors}")
  compile_check(result errors ${SOURCE_DIR} ${python_dirs})
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the check fails with the real table:\n${errors}")
  endif()
elseif(MODE STREQUAL "releases")
  file(GLOB headers $ENV{HOME}/.pyenv/versions/3.*/include/python3.*)
  set(checked 0)
  foreach(dir ${headers})
    if(NOT EXISTS ${dir}/Python.h OR dir MATCHES "python3\\.[0-7]m?$")
      continue()
    endif()
    compile_check(result errors ${SOURCE_DIR} ${dir})
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "the check fails against ${dir}:\n${errors}")
    endif()
    message(STATUS "passes against ${dir}")
    math(EXPR checked "${checked} + 1")
  endforeach()
  message(STATUS "${checked} releases' headers checked")
else()
  message(FATAL_ERROR "MODE must be wrong-row or releases")
endif()
