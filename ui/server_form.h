#pragma once
#include "update/data_updater.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>

class TDesktop;
namespace Ui {
class TFServer;
}

// The "Mise à jour" dialog: 700 ms after it shows, it asks the update server about
// dns.dat and whois.dat and writes the copies it gets. It refuses to open when either
// file is unusable.
class TFServer : public QDialog {
    Q_OBJECT

public:
    // The modal result of "Fermer".
    static constexpr int ModalResultAbort = 3;

    // dataDir: where the data files are, with a trailing "/". Reads their stamps; a file
    // that cannot be read is reported in the application's error box and the dialog is
    // created all the same.
    TFServer(TDesktop& desktop, std::string dataDir, QWidget* owner, std::string updateHost = {});
    ~TFServer() override;

    // With unusable data files: the "Erreur" box, and 0 without showing the dialog.
    // Otherwise starts the timer and runs the dialog modally.
    int RunModal();

    bool DataCorrupt() const { return FUpdater.DataCorrupt; }
    // The logic behind the dialog (stamps, client, pauses), reachable for tests.
    TDataUpdater& Updater() { return FUpdater; }

    QTimer Timer;

public slots:
    void done(int result) override;

private slots:
    void TimerTimer();

private:
    void FormCreate();
    // Paints the running check's label and Label1 at once.
    void RepaintCheck(TDataUpdater::TCheckLabel checkLabel);
    // Puts the final texts into the labels; they show when the window next paints.
    void ShowLabels();

    std::unique_ptr<Ui::TFServer> ui;
    TDesktop& FDesktop;
    TDataUpdater FUpdater;
    bool FChecking = false;  // the checks are running: closing stops them
};
