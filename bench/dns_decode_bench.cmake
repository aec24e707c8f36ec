# The system DNS library decodes the same reply for comparison; only this program uses it.
find_path(LDNS_INCLUDE_DIR ldns/ldns.h REQUIRED)
find_library(LDNS_LIBRARY ldns REQUIRED)
target_include_directories(${bench_target} PRIVATE ${LDNS_INCLUDE_DIR})
target_link_libraries(${bench_target} PRIVATE ${LDNS_LIBRARY})
