#pragma once

// Exit statuses of norvane-cli.
enum TExitStatus : int {
    ExitOk = 0,
    ExitFailed = 1,        // name refused, DNS exchange failed, no host name, data files unusable
    ExitWhoisFailed = 2,   // the whois query failed (a lookup still writes its tree)
    ExitUpdateFailed = 3,  // an update check failed: no answer, a refusal, an invalid reply
    // lookup --warn-days, as monitoring plugins read it:
    ExitWarning = 1,       // a name expires within the days given
    ExitCritical = 2,      // a name has expired or could not be looked up
    ExitUsage = 64,        // the command line cannot be followed
    ExitCannotCreate = 73, // the results file cannot be written
};
