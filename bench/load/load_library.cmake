# The load run's parts as a library: bench_load (here) and the short run in
# tests/server both include this file, whichever comes first defines it.
include_guard(GLOBAL)
find_package(Threads REQUIRED)
add_library(vokabino_load STATIC
  ${CMAKE_CURRENT_LIST_DIR}/subtitle_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/load_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/load_exchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_usage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/load_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/load_verdict.cpp)
target_include_directories(vokabino_load PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vokabino_load PUBLIC vokabino_translation Threads::Threads)
vokabino_warnings(vokabino_load)
