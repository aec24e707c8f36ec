# The system DNS library decodes the same reply for comparison; only this program uses it,
# and without it the program measures our codec alone.
find_path(LDNS_INCLUDE_DIR ldns/ldns.h)
find_library(LDNS_LIBRARY ldns)
if(LDNS_INCLUDE_DIR AND LDNS_LIBRARY)
  target_include_directories(${bench_target} PRIVATE ${LDNS_INCLUDE_DIR})
  target_link_libraries(${bench_target} PRIVATE ${LDNS_LIBRARY})
  target_compile_definitions(${bench_target} PRIVATE NORVANE_BENCH_SYSTEM_DNS=1)
else()
  message(STATUS "bench_dns_decode_bench: no system DNS library (libldns-dev), measuring our codec alone")
endif()
