#include "ui/server_form.h"

#include "net/socket/id_anti_freeze.h"
#include "net/socket/id_exceptions.h"
#include "ui/ansi.h"
#include "ui/application.h"
#include "ui/colors.h"
#include "ui/desktop.h"
#include "ui/images.h"
#include "ui_server_form.h"

#include <norvane_config.h>

#include <QApplication>

// Outside any namespace, as the resource initialiser requires.
static void RegisterServerImages()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(server_images);
        return true;
    }();
    (void)registered;
}

namespace {

const QString kPicture = QStringLiteral(":/images/server-update.svg");

}  // namespace

TFServer::TFServer(TDesktop& desktop, std::string dataDir, QWidget* owner, std::string updateHost)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFServer>()),
      FDesktop(desktop),
      FUpdater(std::move(dataDir), updateHost.empty() ? std::string(NORVANE_UPDATE_HOST) : std::move(updateHost))
{
    RegisterServerImages();
    SubstituteFormFont();
    ui->setupUi(this);
    setFixedSize(393, 118);
    move(295, 168);
    ApplyFormColors(this);
    ui->ImageTop->setPixmap(RenderSvg(kPicture, QSize(47, 49)));

    Timer.setInterval(700);
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, &TFServer::TimerTimer);
    connect(ui->BtnAbort, &QPushButton::clicked, this, [this] { done(ModalResultAbort); });
    FUpdater.OnRepaint = [this](TDataUpdater::TCheckLabel checkLabel) { RepaintCheck(checkLabel); };
    FormCreate();
}

TFServer::~TFServer() = default;

void TFServer::FormCreate()
{
    try {
        FUpdater.ReadStamps();
    } catch (...) {
        ShowException(FDesktop, std::current_exception());
    }
}

int TFServer::RunModal()
{
    if (FUpdater.DataCorrupt) {
        FDesktop.MessageBox(this, QStringLiteral("Erreur"), FromAnsi("Les bases de donn\xE9" "es sont corrompues"),
                            QMessageBox::Critical);
        setResult(QDialog::Rejected);
        return 0;
    }
    Timer.start();
    return FDesktop.RunModal(*this);
}

void TFServer::done(int result)
{
    // Closed before the first tick: no request at all; during the checks: they stop.
    Timer.stop();
    TIdAntiFreezeBase* hook = TIdAntiFreezeBase::Instance();
    if (FChecking && hook != nullptr) hook->Stop();
    QDialog::done(result);
}

void TFServer::TimerTimer()
{
    // The hourglass comes down however the checks end.
    struct TWaitCursor {
        TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    } hourglass;
    Timer.stop();
    if (TIdAntiFreezeBase* hook = TIdAntiFreezeBase::Instance()) hook->Reset();
    FChecking = true;
    try {
        FUpdater.RunChecks();
    } catch (const EIdStopped&) {
        FChecking = false;
        return;  // closed meanwhile: nothing more to show
    }
    FChecking = false;
    ShowLabels();
}

void TFServer::RepaintCheck(TDataUpdater::TCheckLabel checkLabel)
{
    QLabel* label = checkLabel == &TDataUpdater::LabelDNS    ? ui->LabelDNS
                    : checkLabel == &TDataUpdater::LabelWhois ? ui->LabelWhois
                                                              : ui->LabelRdap;
    label->setText(FromAnsi(FUpdater.*checkLabel));
    ui->Label1->setText(FromAnsi(FUpdater.Label1));
    label->repaint();
    ui->Label1->repaint();
}

void TFServer::ShowLabels()
{
    ui->LabelDNS->setText(FromAnsi(FUpdater.LabelDNS));
    ui->LabelWhois->setText(FromAnsi(FUpdater.LabelWhois));
    ui->LabelRdap->setText(FromAnsi(FUpdater.LabelRdap));
    ui->Label1->setText(FromAnsi(FUpdater.Label1));
}
