# Precompiled headers of the Windows configuration: windows.h and the standard headers most
# sources use are parsed once per build tree, into qv_core's precompiled header, which every
# other C++ target of the project reuses: they all compile with the same definitions and
# options (the tests add GoogleTest's own, which the header does not use). A source file keeps
# its own includes, so it still builds without the precompiled header (QV_PCH=OFF).
# The top-level CMakeLists.txt tells the compiler cache how to take them. The cache finds the
# header's old output beside it when it compiles it again, so in an existing build tree a
# rebuilt header misses the cache, and so does everything after it; a fresh tree hits.

# Only headers that do not bring in <string> or <cwchar>: GCC 12 reports their inline copies,
# when they come from a precompiled header, as out of bounds in the code that calls them.
set(qv_pch_headers <windows.h> <commctrl.h> <algorithm> <array> <cmath> <cstddef> <cstdint> <cstdlib>
  <cstring> <functional> <limits> <optional> <span> <utility> <vector>)
list(TRANSFORM qv_pch_headers PREPEND "$<$<COMPILE_LANGUAGE:CXX>:")
list(TRANSFORM qv_pch_headers APPEND ">")
target_precompile_headers(qv_core PRIVATE ${qv_pch_headers})

# The project's own targets below a folder (GoogleTest's are built elsewhere and keep theirs).
function(qv_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    if(sub MATCHES "^${CMAKE_SOURCE_DIR}/")
      qv_targets_below(${sub} more)
      list(APPEND targets ${more})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

qv_targets_below(${CMAKE_SOURCE_DIR} qv_all_targets)
foreach(target IN LISTS qv_all_targets)
  get_target_property(type ${target} TYPE)
  if(target STREQUAL "qv_core" OR NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE|OBJECT_LIBRARY)$")
    continue()
  endif()
  target_precompile_headers(${target} REUSE_FROM qv_core)
endforeach()

