#pragma once
#include "app/lookup_driver.h"
#include "app/whois_catalogue.h"
#include "ui/images.h"
#include "ui/tree_nodes.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QPainter;
class QTreeWidgetItem;
class TDesktop;
class TIdDNSResolver;
class TIdWhois;
class TRdapBootstrap;
struct TRdapNumberServers;
namespace Ui {
class TFMain;
}

// The main window: a top panel to type a name and start a lookup, the "Whois" and "DNS"
// pages, the status bar with the stages of a lookup, and the menu.
class TFMain : public QMainWindow {
    Q_OBJECT

public:
    // dataDir: where the data files and the help document are, with a trailing "/"; when
    // empty, the program's own folders (app/data_folder.h).
    explicit TFMain(TDesktop& desktop, std::string dataDir = {}, QWidget* parent = nullptr);
    ~TFMain() override;

    // The steps of a lookup, shared with the other parts of the window.
    void SetStage(int stage);
    // Says nothing for an empty message; otherwise the "Erreur" box.
    void ShowError(const std::string& message);
    TCursor ScreenCursor() const { return FScreenCursor; }
    void SetScreenCursor(TCursor cursor);
    // The whois page's text, UTF-8 (a reply cleared to ASCII, or one kept with its accents).
    std::string MemoText() const { return FMemoText; }
    void SetMemoText(const std::string& text);
    // Empties the catalogue and reads whois.dat again; raises EFOpenError when it cannot.
    // rdap.json is read again too (app/rdap_stage.h).
    void ReloadWhoisServers();

    TTreeNodes& TreeNodes() { return *FTreeNodes; }

    // Runs work (a lookup, a resolution) unless one is already running: meanwhile the
    // commands that would start another or change its settings are disabled, Échap and
    // closing the window stop it (see TIdAntiFreezeBase), and a close asked meanwhile
    // happens once it has ended.
    void RunWhileBusy(const std::function<void()>& work);
    bool Busy() const { return FBusy; }
    // Échap: stops the work under way, if any.
    void StopWork();
    TDesktop& Desktop() const { return FDesktop; }

    // The data files are read and updated in AppDir; the help is opened from HelpDir.
    std::string AppDir;
    std::string HelpDir;
    TWhoisServers WhoisServers;
    std::unique_ptr<TRdapBootstrap> RdapServers;
    // ipv4.json, ipv6.json and asn.json: who holds an address (app/rdap_stage.h).
    std::unique_ptr<TRdapNumberServers> RdapNumberServers;
    std::string DefaultDnsServer;
    std::unique_ptr<TIdWhois> IdWhois1;
    std::unique_ptr<TIdDNSResolver> IdDNSResolver1;
    QTreeWidgetItem* HostRootNode = nullptr;
    int LastMouseX = 0;
    int LastMouseY = 0;

private slots:
    void Button1Click();
    void LEditNameKeyUp(int key, Qt::KeyboardModifiers shift);
    void LEditNameDblClick();
    void SpeedButton3Click();
    void LabeledEdit1KeyUp(int key, Qt::KeyboardModifiers shift);
    void LabeledEdit1DblClick();
    void Gestion1Click();
    void Aide1Click();
    void Aproposde1Click();
    void Quitter1Click();
    // "Conserver les accents": whois replies keep their 8-bit characters; remembered.
    void ConserverAccents1Click(bool checked);
    // The DNS page (main_window_dns.cpp) and saving (main_window_save.cpp).
    void TreeDNSExpanded(QTreeWidgetItem* node);
    void TreeDNSCollapsed(QTreeWidgetItem* node);
    void TreeDNSMouseMove(int x, int y);
    void TreeDNSDblClick();
    void SpeedButton1Click();
    void LabeledEditIPKeyUp(int key, Qt::KeyboardModifiers shift);
    // "Qui détient cette adresse ?" on an address of the tree (main_window_registration.cpp).
    void TreeDNSContextMenu(const QPoint& at);
    void Enregistrersous1Click();

protected:
    // The two branches of the results tree.
    virtual void ShowHostInfo(const std::string& name);
    virtual void ShowDnsRecords(const std::string& name);
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    class TLookupWindow;

    // What the lookup driver and the hourglass see of the window.
    ILookupWindow& LookupWindow();
    void CreateImages();
    void WireEvents();
    void WireStopKey();
    // The resolver component as the form sets it up: active, port 53, 4000 ms.
    void CreateDnsResolver();
    void WireDnsPage();
    void WireRegistration();
    // The box below the IP resolver: the registration of the address the resolver was
    // given (the field may have been edited while it waited).
    void ShowAddressRegistration(const QString& address);
    void FormCreate();
    void LoadRdapServers();
    void PageControlDrawTab(QPainter& canvas, int tabIndex, const QRect& rect, bool active);
    // The database update dialog runs here; the catalogue is reloaded after it whatever
    // happened in it.
    void RunUpdateDialog();
    // The smallest size at which every control of the form is whole.
    void FitMinimumSize();
    // Outer size 696 x 480 once the window manager's frame is known, centred on the screen.
    void PlaceOnScreen();

    std::unique_ptr<Ui::TFMain> ui;
    TDesktop& FDesktop;
    TImageList FImageList;
    std::unique_ptr<TTreeNodes> FTreeNodes;
    std::unique_ptr<TLookupWindow> FLookupWindow;
    TCursor FScreenCursor = TCursor::crDefault;
    std::string FMemoText;
    bool FBusy = false;
    bool FCloseAsked = false;
    bool FPlaced = false;
    bool FFrameFitted = false;
};

// A Return or Enter key (code 13) released; modifiers do not matter.
bool IsEnterKey(int key);
