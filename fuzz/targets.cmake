# The fuzz targets, one per name: <name>_fuzzer.cpp, with its seed corpus in corpus/<name>/
# and the inputs of its past findings in regressions/<name>/. Adding a target is adding its
# name here; the fuzz build and the replay tests both read this list.
set(NORVANE_FUZZ_TARGETS
  dns_reply
  http_reply
  whois_catalogue
  dns_servers
  uri
  internet_date
  rdap_render
  rdap_bootstrap
  rdap_number_bootstrap
  whois_reply
  whois_expiry
)
