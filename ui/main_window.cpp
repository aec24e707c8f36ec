#include "ui/main_window.h"

#include "app/data_folder.h"
#include "app/rdap_stage.h"
#include "app/whois_query.h"
#include "dns/results_tree.h"
#include "dns/dns_servers.h"
#include "net/dns/id_dns_resolver.h"
#include "net/whois/id_whois.h"
#include "rdap/bootstrap.h"
#include "rdap/number_lookup.h"
#include "ui/about_box.h"
#include "ui/ansi.h"
#include "ui/application.h"
#include "ui/colors.h"
#include "ui/desktop.h"
#include "ui/server_form.h"
#include "ui/user_settings.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

namespace {

constexpr QSize OuterSize(696, 480);
// The platform's path limit, terminator included: a longer help path is refused, not cut.
constexpr size_t PathLimit = 260;

}  // namespace

bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// What the lookup driver sees of the window.
class TFMain::TLookupWindow : public ILookupWindow {
public:
    explicit TLookupWindow(TFMain& window) : W(window) {}

    // UTF-8, not the code page: "例え.jp" must reach the lookup whole.
    std::string NameText() const override { return W.ui->LEditName->text().toStdString(); }
    bool WhoisChecked() const override { return W.ui->CheckWhois->isChecked(); }
    bool DnsChecked() const override { return W.ui->CheckDNS->isChecked(); }
    bool RdapFirstChecked() const override { return W.ui->RdapDabord1->isChecked(); }
    TCursor ScreenCursor() const override { return W.ScreenCursor(); }
    void SetScreenCursor(TCursor cursor) override { W.SetScreenCursor(cursor); }
    void SetStageText(const std::string& text) override { W.ui->StatusBar->SetStageText(FromAnsi(text)); }
    void RepaintStatusBar() override { W.ui->StatusBar->RepaintNow(); }
    void SetProgressPosition(int position) override { W.ui->StatusBar->SetProgress(position); }
    void ClearMemo() override { W.SetMemoText({}); }
    void SetMemoText(const std::string& text) override { W.SetMemoText(text); }
    void AddMemoLine(const std::string& line) override
    {
        const std::string& text = W.MemoText();
        const bool lineStarts = text.empty() || text.ends_with("\r\n");
        W.SetMemoText(text + (lineStarts ? "" : "\r\n") + line + "\r\n");
    }
    void AddTreeNote(const std::string& text) override
    {
        W.FTreeNodes->AddChild(nullptr, text, ImageNone, ImageNone, NodePlain);
    }
    void ClearTree() override
    {
        W.HostRootNode = nullptr;
        W.FTreeNodes->Clear();
    }
    void BeginTreeUpdate() override { W.FTreeNodes->BeginUpdate(); }
    void EndTreeUpdate() override { W.FTreeNodes->EndUpdate(); }
    void ShowError(const std::string& message) override { W.ShowError(message); }
    void ShowHostInfo(const std::string& name) override { W.ShowHostInfo(name); }
    void ShowDnsRecords(const std::string& name) override { W.ShowDnsRecords(name); }
    std::string QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                           const std::string& name) override
    {
        return RunCatalogueQuery(*W.IdWhois1, host, queryTemplate, port, name);
    }
    std::string QueryWhoisByHand(const std::string& name) override
    {
        return RunManualQuery(*W.IdWhois1, ToAnsi(W.ui->LabeledEdit1->text()), name);
    }

private:
    TFMain& W;
};

TFMain::TFMain(TDesktop& desktop, std::string dataDir, QWidget* parent)
    : QMainWindow(parent),
      AppDir(dataDir),
      HelpDir(std::move(dataDir)),
      RdapServers(std::make_unique<TRdapBootstrap>()),
      RdapNumberServers(std::make_unique<TRdapNumberServers>()),
      IdWhois1(std::make_unique<TIdWhois>()),
      ui(std::make_unique<Ui::TFMain>()),
      FDesktop(desktop),
      FImageList(QSize(24, 24), {Images::FolderClosed, Images::FolderOpen, Images::Link}),
      FLookupWindow(std::make_unique<TLookupWindow>(*this))
{
    SubstituteFormFont();
    ui->setupUi(this);
    FTreeNodes = std::make_unique<TTreeNodes>(*ui->TreeDNS, FImageList);
    ui->ConserverAccents1->setChecked(KeepAccentsSetting());
    IdWhois1->ASCIIFilter = !ui->ConserverAccents1->isChecked();
    CreateDnsResolver();
    ApplyFormColors(this);
    CreateImages();
    WireEvents();
    FitMinimumSize();
    resize(OuterSize);
    try {
        FormCreate();
    } catch (...) {
        // The window opens all the same, with what could be set up.
        ShowException(FDesktop, std::current_exception());
    }
}

TFMain::~TFMain() = default;

ILookupWindow& TFMain::LookupWindow() { return *FLookupWindow; }

void TFMain::CreateImages()
{
    ui->ImageTop->setPixmap(RenderSvg(Images::Globe, QSize(47, 49)));
    setWindowIcon(ApplicationIcon());
    ui->SpeedButton2->setIcon(QIcon(RenderSvg(Images::Glyph32, QSize(32, 32))));
    const QIcon small(RenderSvg(Images::Glyph16, QSize(16, 16)));
    ui->SpeedButton3->setIcon(small);
    ui->SpeedButton1->setIcon(small);
}

void TFMain::WireEvents()
{
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TFMain::Button1Click);
    connect(ui->LEditName, &TLabeledEdit::KeyUp, this, &TFMain::LEditNameKeyUp);
    connect(ui->LEditName, &TLabeledEdit::DblClick, this, &TFMain::LEditNameDblClick);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &TFMain::SpeedButton3Click);
    connect(ui->LabeledEdit1, &TLabeledEdit::KeyUp, this, &TFMain::LabeledEdit1KeyUp);
    connect(ui->LabeledEdit1, &TLabeledEdit::DblClick, this, &TFMain::LabeledEdit1DblClick);
    ui->PageControl->OnDrawTab = [this](QPainter& canvas, int tabIndex, const QRect& rect, bool active) {
        PageControlDrawTab(canvas, tabIndex, rect, active);
    };
    WireDnsPage();
    WireStopKey();
    connect(ui->Enregistrersous1, &QAction::triggered, this, &TFMain::Enregistrersous1Click);
    connect(ui->Gestion1, &QAction::triggered, this, &TFMain::Gestion1Click);
    connect(ui->Aide1, &QAction::triggered, this, &TFMain::Aide1Click);
    connect(ui->Aproposde1, &QAction::triggered, this, &TFMain::Aproposde1Click);
    connect(ui->Quitter1, &QAction::triggered, this, &TFMain::Quitter1Click);
    connect(ui->ConserverAccents1, &QAction::triggered, this, &TFMain::ConserverAccents1Click);
}

void TFMain::FormCreate()
{
    if (AppDir.empty()) {
        const TDataFolders folders = ProgramDataFolders();
        AppDir = folders.Data;
        HelpDir = folders.Help;
    }
    WhoisServers.Clear();
    WhoisServers.LoadFromFile(AppDir + "whois.dat");
    LoadRdapServers();
    DefaultDnsServer = LoadDefaultDnsServer([this](const std::string& message) { ShowError(message); });
    ui->PageControl->setCurrentWidget(ui->TabWhois);
}

void TFMain::SetStage(int stage) { ::SetStage(*FLookupWindow, stage); }

void TFMain::ShowError(const std::string& message)
{
    if (message.empty()) return;
    FDesktop.MessageBox(this, QStringLiteral("Erreur"), FromAnsi(message), QMessageBox::Critical);
}

void TFMain::SetScreenCursor(TCursor cursor)
{
    if (cursor == FScreenCursor) return;
    if (cursor == TCursor::crHourGlass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    FScreenCursor = cursor;
}

void TFMain::SetMemoText(const std::string& text)
{
    FMemoText = text;
    // The page keeps CR LF line breaks; the widget wants LF.
    ui->MemoWhois->setPlainText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TFMain::ReloadWhoisServers()
{
    LoadRdapServers();
    WhoisServers.LoadFromFile(AppDir + "whois.dat");
}

void TFMain::LoadRdapServers()
{
    const auto showError = [this](const std::string& message) { ShowError(message); };
    LoadRdapBootstrap(*RdapServers, AppDir, showError);
    LoadRdapNumberBootstraps(*RdapNumberServers, AppDir, showError);
}

void TFMain::Button1Click()
{
    RunWhileBusy([this] { TLookupDriver(*FLookupWindow, WhoisServers, RdapServers.get()).Button1Click(); });
}

void TFMain::LEditNameKeyUp(int key, Qt::KeyboardModifiers)
{
    if (IsEnterKey(key)) Button1Click();
}

void TFMain::LEditNameDblClick() { ui->LEditName->selectAll(); }

void TFMain::SpeedButton3Click()
{
    RunWhileBusy([this] { TLookupDriver(*FLookupWindow, WhoisServers).SpeedButton3Click(); });
}

void TFMain::LabeledEdit1KeyUp(int key, Qt::KeyboardModifiers)
{
    if (IsEnterKey(key)) SpeedButton3Click();
}

void TFMain::LabeledEdit1DblClick() { ui->LabeledEdit1->selectAll(); }

void TFMain::PageControlDrawTab(QPainter& canvas, int tabIndex, const QRect& rect, bool)
{
    // Page-control coordinates, not offsets into rect; the selected tab looks like the others.
    const int x = tabIndex == 0 ? 10 : 70;
    const int y = 5;
    canvas.fillRect(rect, BackgroundColor(ui->PageControl));
    canvas.setClipRect(rect);
    canvas.setFont(ui->PageControl->font());
    canvas.setPen(ui->PageControl->palette().color(QPalette::WindowText));
    canvas.drawText(QRect(x, y, ui->PageControl->width(), ui->PageControl->height()),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, ui->PageControl->tabText(tabIndex));
}

void TFMain::RunUpdateDialog()
{
    TFServer dialog(FDesktop, AppDir, this);
    dialog.RunModal();
}

void TFMain::Gestion1Click()
{
    try {
        RunUpdateDialog();
    } catch (...) {
        ReloadWhoisServers();
        throw;
    }
    ReloadWhoisServers();
}

void TFMain::Aide1Click()
{
    const std::string path = HelpDir + "nvHelp.html";
    if (path.size() + 1 > PathLimit) return;
    OpenOrExplain(FDesktop, this, QFile::decodeName(QByteArray::fromStdString(path)),
                  QStringLiteral("L'aide n'a pas pu être ouverte\u00A0: aucun programme de l'ordinateur ne "
                                 "s'est chargé de l'afficher.\nVous pouvez l'ouvrir avec un navigateur Web\u00A0; "
                                 "elle se trouve dans le fichier\u00A0:"));
}

void TFMain::Aproposde1Click()
{
    if (FBusy) {
        // A lookup waits below this handler: a loop of the box's own would hold it up.
        auto* about = new TFAbout(FDesktop, this);
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->open();
        return;
    }
    TFAbout about(FDesktop, this);
    FDesktop.RunModal(about);
}

void TFMain::Quitter1Click() { close(); }

void TFMain::ConserverAccents1Click(bool checked)
{
    IdWhois1->ASCIIFilter = !checked;
    SetKeepAccentsSetting(checked);
}

void TFMain::FitMinimumSize()
{
    // The top panel's controls stay left of the globe; the IP resolver's panel stays whole
    // above the status bar. The window adds its menu bar to what its client area needs.
    int right = 0;
    for (const QWidget* control : {static_cast<QWidget*>(ui->LEditName), static_cast<QWidget*>(ui->SpeedButton2),
                                   static_cast<QWidget*>(ui->CheckWhois), static_cast<QWidget*>(ui->CheckDNS)})
        right = std::max(right, control->geometry().right() + 1);
    const int page = ui->PanelDNS->geometry().bottom() + 1;
    ui->ClientArea->setMinimumSize(right + ui->ImageTop->width(), ui->PanelTop->height() +
                                                                      ui->PageControl->PageOverhead().height() + page +
                                                                      ui->StatusBar->height());
}

void TFMain::PlaceOnScreen()
{
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(OuterSize.width() - frame.left() - frame.right(), OuterSize.height() - frame.top() - frame.bottom());
    if (const QScreen* area = screen()) {
        const QRect available = area->availableGeometry();
        move(available.left() + (available.width() - OuterSize.width()) / 2,
             available.top() + (available.height() - OuterSize.height()) / 2);
    }
}

void TFMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FPlaced) return;
    FPlaced = true;
    PlaceOnScreen();
}

void TFMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // The window manager's frame is known once it has framed the window.
    if (FPlaced && !FFrameFitted && windowHandle() && !windowHandle()->frameMargins().isNull()) {
        FFrameFitted = true;
        PlaceOnScreen();
    }
}
