# The list bench runs the companion itself.
if(TARGET norvane-cli)
  add_dependencies(${bench_target} norvane-cli)
endif()
