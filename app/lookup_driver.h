#pragma once
#include "app/whois_catalogue.h"

#include <optional>
#include <string>
#include <string_view>

class TRdapBootstrap;

// The screen cursor as the lookup sees it.
enum class TCursor { crDefault, crHourGlass };

// The status bar as the stages drive it.
class IStageDisplay {
public:
    virtual ~IStageDisplay() = default;
    virtual void SetStageText(const std::string& text) = 0;
    // Paints the status bar now: the thread is about to block in a network call.
    virtual void RepaintStatusBar() = 0;
    virtual void SetProgressPosition(int position) = 0;
};

// Stage texts and progress positions, stages 0 to 6 (0 resets both).
struct TStage {
    const char* Text;
    int Position;
};
constexpr int StageCount = 7;
const TStage& StageOf(int stage);

// Sets the stage text, repaints the status bar at once, then moves the progress bar.
// A stage outside the table changes nothing.
void SetStage(IStageDisplay& display, int stage);

// What a lookup needs of the main window: its controls, the screen, and the three steps
// that fill the results.
class ILookupWindow : public IStageDisplay {
public:
    // The name field as typed, in UTF-8: it may hold characters the program's code page
    // lacks. The lookup turns it into its ASCII form before anything else.
    virtual std::string NameText() const = 0;
    virtual bool WhoisChecked() const = 0;
    virtual bool DnsChecked() const = 0;

    virtual TCursor ScreenCursor() const = 0;
    virtual void SetScreenCursor(TCursor cursor) = 0;

    virtual void ClearMemo() = 0;
    // The whois page's text, UTF-8.
    virtual void SetMemoText(const std::string& text) = 0;
    virtual void ClearTree() = 0;
    // No repainting of the tree between the two calls.
    virtual void BeginTreeUpdate() = 0;
    virtual void EndTreeUpdate() = 0;

    // Says nothing for an empty message.
    virtual void ShowError(const std::string& message) = 0;

    virtual void ShowHostInfo(const std::string& name) = 0;
    virtual void ShowDnsRecords(const std::string& name) = 0;
    // Returns the text for the whois page; a failure is an exception carrying its message.
    virtual std::string QueryWhois(const std::string& host, const std::string& queryTemplate, int port,
                                   const std::string& name) = 0;
    // The query typed by hand: the "Serveur Whois" field's server, the name field's text
    // as ByHandQuery makes it.
    virtual std::string QueryWhoisByHand(const std::string& name) = 0;

    // RDAP asked before whois where the extension has an RDAP server (a menu check item).
    virtual bool RdapFirstChecked() const { return false; }
    // The RDAP answer for the whois page, UTF-8 (app/rdap_stage.h); a failure is an exception.
    virtual std::string QueryRdap(const std::string& base, const std::string& name);

    // A lookup the user stopped: its note added after what the whois page holds, or as a
    // node at the end of the tree. Only a window with the idle-time hook can be stopped.
    virtual void AddMemoLine(const std::string& /*line*/) {}
    virtual void AddTreeNote(const std::string& /*text*/) {}
};

// The note of a stopped lookup, where its running step was writing.
inline constexpr const char* LookupStopped = "Recherche interrompue.";

// The hourglass for as long as it lives, then the cursor that was there before, however
// the work ends. Restore() puts the cursor back earlier, before a message box say.
class THourGlass {
public:
    explicit THourGlass(ILookupWindow& window);
    ~THourGlass() { Restore(); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
    void Restore();

private:
    ILookupWindow& FWindow;
    TCursor FSaved;
    bool FRestored = false;
};

// Runs a lookup: validates the typed name, then the whois and DNS steps that the two
// check boxes ask for, with the stages shown in the status bar.
class TLookupDriver {
public:
    // rdap: where RDAP servers are, or null for none.
    TLookupDriver(ILookupWindow& window, const TWhoisServers& servers, const TRdapBootstrap* rdap = nullptr)
        : FWindow(window), FServers(servers), FRdap(rdap) {}

    // The "Lancer" button and Enter in the name field.
    void Button1Click();

    // The three paths, on the name Button1Click has taken from the field.
    void RunWhoisAndDns(const std::string& host, const std::string& queryTemplate, int port);
    void RunDns();
    void RunWhois(const std::string& host, const std::string& queryTemplate, int port);

    // The "Lancer" button of the whois page and Enter in its server field: free text, only
    // control characters refused; the tree untouched.
    void SpeedButton3Click();

private:
    // Runs a path; when the user stops it (EIdStopped), the pages keep what they hold, the
    // running step's page gets the note, and the status bar is reset, without a box.
    template <typename Path> void Stoppable(Path path);
    // Runs one DNS step inside the tree's update bracket, closed also when the step raises.
    template <typename Step> void InTreeUpdate(Step step);
    // The whois query and its outcome, the common end of the whois paths.
    void FinishWithWhois(THourGlass& hourglass, const std::string& host, const std::string& queryTemplate, int port,
                         const std::string& name);

    // Whois, or RDAP where whois cannot be reached and the extension has an RDAP server.
    std::string WhoisOrRdap(const std::string& host, const std::string& queryTemplate, int port,
                            const std::string& name);

    // The name field as `convert` makes it; false after telling the user it was refused.
    bool TakeName(std::optional<std::string> (*convert)(std::string_view));

    ILookupWindow& FWindow;
    const TWhoisServers& FServers;
    const TRdapBootstrap* FRdap;
    std::string FName;
    std::string FRdapBase;  // the name's RDAP server, "" when it has none
    bool FWritesTree = false;  // the running step fills the tree, not the whois page
};
