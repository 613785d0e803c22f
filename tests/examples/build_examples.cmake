# cmake -P: installs BUILD_DIR into PREFIX, checks the installed headers, and configures and
# builds each of EXAMPLES (folders of SOURCE_DIR/examples) into OUT/<example> against PREFIX with
# the MinGW-w64 toolchain file, as a program outside the project would.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${what} failed (${code}):\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
run("install" ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}")
run("installed headers check" ${PYTHON} "${SOURCE_DIR}/tests/examples/installed_headers.py"
    --repo "${SOURCE_DIR}" --prefix "${PREFIX}")
foreach(example IN LISTS EXAMPLES)
  file(REMOVE_RECURSE "${OUT}/${example}")
  set(launcher "")
  if(LAUNCHER)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
  endif()
  run("configure ${example}" ${CMAKE_COMMAND} -S "${SOURCE_DIR}/examples/${example}" -B "${OUT}/${example}"
      -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE} ${launcher}
      "-DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake" "-DCMAKE_PREFIX_PATH=${PREFIX}")
  run("build ${example}" ${CMAKE_COMMAND} --build "${OUT}/${example}")
  message(STATUS "${example}: built against ${PREFIX}")
endforeach()
