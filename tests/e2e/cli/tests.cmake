# norvane-cli end to end: the command line alone (no network), then every subcommand in
# the fake Internet (root only; skipped with status 77 otherwise).
if(TARGET norvane-cli)
  set(cli_e2e ${CMAKE_CURRENT_LIST_DIR}/cli-e2e.sh)
  add_test(NAME e2e.cli.usage COMMAND bash ${cli_e2e} usage ${NORVANE_BIN_DIR})
  set_tests_properties(e2e.cli.usage PROPERTIES LABELS e2e TIMEOUT 60)
  if(TARGET fake_whois_server AND TARGET norvane-update-server)
    add_test(NAME e2e.cli
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../fake-internet.sh ${NORVANE_BIN_DIR} --
                     bash ${cli_e2e} internet ${NORVANE_BIN_DIR})
    set_tests_properties(e2e.cli PROPERTIES LABELS e2e TIMEOUT 420 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
  endif()
endif()
