# Shared helpers for the project's targets: one place for warnings, sanitizers and layout.

if(TRUNE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own code builds warning-free; third-party headers come in as system includes.
function(trune_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# trune_add_library(<name> SOURCES ... [PUBLIC_LINKS ...] [PRIVATE_LINKS ...])
# A static library whose headers are included by their path below the repository root,
# e.g. #include "kit/foundation/TruneAppVersion.h".
function(trune_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/generated")
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  trune_set_warnings(${name})
endfunction()

# trune_add_test(<name> [GUI] SOURCES ... LINKS ...)
# One GoogleTest executable per library area, run under a QCoreApplication (a QApplication on
# the offscreen platform with GUI).
function(trune_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    set(main TruneTestMainGui)
  else()
    set(main TruneTestMain)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} ${main} TruneTestSupport GTest::gtest GTest::gmock)
  target_compile_options(${name} PRIVATE -include "${PROJECT_SOURCE_DIR}/tests/support/QtPrinters.h")
  # Tests read the program's data folder as the program does.
  add_dependencies(${name} TruneResources)
  trune_set_warnings(${name})
  # OpenMP libraries (the text recogniser's) would start a thread per core in every test of a
  # parallel run and fight over the machine; the runtime reads this before main(). The
  # discovery flattens PROPERTIES into one list and would drop every variable of ENVIRONMENT
  # after the first, so each property carries a single one.
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ENVIRONMENT_MODIFICATION "OMP_THREAD_LIMIT=set:1")
endfunction()

# trune_add_benchmark(<name> SOURCES ... LINKS ...)
function(trune_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} benchmark::benchmark)
  trune_set_warnings(${name})
endfunction()
