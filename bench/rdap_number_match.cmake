target_compile_definitions(${bench_target} PRIVATE NORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
