// update: the "Mise à jour" dialog's two checks, and its final texts.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/lookup_window.h"
#include "update/data_updater.h"

#include <norvane_config.h>

#include <exception>

int RunUpdate(const TArguments& args, TConsole& console)
{
    TDataUpdater updater(DataDirectory(args), NORVANE_UPDATE_HOST);
    // The pauses let a person read the dialog's labels; nobody reads them here.
    updater.OnPause = [](int) {};
    try {
        updater.ReadStamps();
    } catch (...) {
        ReportException(console, std::current_exception());
    }
    if (updater.DataCorrupt) {
        console.Error("Les bases de donn\xE9" "es sont corrompues");
        return ExitFailed;
    }
    updater.RunChecks();
    for (const std::string* label : {&updater.LabelDNS, &updater.LabelWhois, &updater.Label1})
        console.Print(*label + "\r\n");
    return updater.FailedChecks > 0 ? ExitUpdateFailed : ExitOk;
}
