// The real main window inside the fake Internet: lookups against the test zones and the
// test whois server, the results file against the one checked in, the IP resolver, and a
// screenshot of the DNS page. Runs under tests/e2e/fake-internet.sh only.
#include "runtime/files.h"
#include "tests/ui/fake_desktop.h"
#include "ui/ansi.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/page_control.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

namespace {

// One line per node: TABs for the depth, the text, and the node's image and data.
void Describe(const QTreeWidgetItem& node, int depth, QStringList& lines)
{
    lines << QString(depth, QLatin1Char('\t')) + node.text(0) +
                 QStringLiteral(" [%1 %2]").arg(TTreeNodes::Image(&node)).arg(TTreeNodes::Data(&node));
    for (int i = 0; i < node.childCount(); ++i) Describe(*node.child(i), depth + 1, lines);
}

const QString Screenshots = QStringLiteral(NORVANE_BIN_DIR "/../screenshots");

// The namespace's resolver configuration rewritten in place for a while.
class ResolverConfig {
public:
    ResolverConfig(std::string path, const std::string& text) : FPath(std::move(path)), FSaved(ReadFileBytes(FPath))
    {
        WriteFileBytes(FPath, text);
    }
    ~ResolverConfig() { WriteFileBytes(FPath, FSaved); }
    ResolverConfig(const ResolverConfig&) = delete;
    ResolverConfig& operator=(const ResolverConfig&) = delete;

private:
    std::string FPath, FSaved;
};

}  // namespace

class WindowInFakeInternet : public QObject {
    Q_OBJECT

private:
    std::string FDataDir;
    QTemporaryDir FScratch;
    std::unique_ptr<FakeDesktop> FDesktop;
    std::unique_ptr<TFMain> FWindow;

    template <typename T> T* Find(const char* name) const { return FindControl<T>(*FWindow, name); }
    QTreeWidget* Tree() const { return Find<QTreeWidget>("TreeDNS"); }
    void Open(const std::string& dataDir)
    {
        FDesktop = std::make_unique<FakeDesktop>();
        static_cast<TApplication*>(qApp)->SetDesktop(*FDesktop);
        FWindow = std::make_unique<TFMain>(*FDesktop, dataDir);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    }
    void Lookup(const QString& name, bool whois, bool dns)
    {
        Find<QLineEdit>("LEditName")->setText(name);
        Find<QCheckBox>("CheckWhois")->setChecked(whois);
        Find<QCheckBox>("CheckDNS")->setChecked(dns);
        QTest::keyClick(Find<QLineEdit>("LEditName"), Qt::Key_Return);
    }
    QStringList TreeLines() const
    {
        QStringList lines;
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i) Describe(*Tree()->topLevelItem(i), 0, lines);
        return lines;
    }
    // "Enregistrer sous" proposes `proposed`; what it writes equals tests/e2e/expected/<expected>
    // byte for byte (a differing file is kept as e2e-saved-<expected> in the build folder).
    void KeepScreenshot(const QString& name)
    {
        Find<TPageControl>("PageControl")->setCurrentWidget(Find<QWidget>("TabDNS"));
        QCoreApplication::processEvents();
        QDir().mkpath(Screenshots);
        QVERIFY(FWindow->grab().save(Screenshots + QLatin1Char('/') + name));
    }

    // Saves through the menu command and compares the file with tests/e2e/expected/<expected>.
    void ExpectSavedFile(const QString& proposed, const std::string& expected)
    {
        FDesktop->Answer = FScratch.filePath(QStringLiteral("saved"));
        QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "Enregistrersous1Click"));
        QCOMPARE(FDesktop->Proposed, proposed);
        const std::string saved = ReadFileBytes(FScratch.filePath(QStringLiteral("saved.txt")).toStdString());
        const std::string path = NORVANE_SOURCE_DIR "/tests/e2e/expected/" + expected;
        if (!QFile::exists(QString::fromStdString(path)) || saved != ReadFileBytes(path)) {
            WriteFileBytes(NORVANE_BIN_DIR "/../e2e-saved-" + expected, saved);
            const QString name = QString::fromStdString(expected);
            QFAIL(qPrintable(QStringLiteral("the saved file differs from tests/e2e/expected/%1; "
                                            "see e2e-saved-%1 in the build folder").arg(name)));
        }
    }

private slots:
    void initTestCase()
    {
        const char* dir = std::getenv("FAKE_INTERNET_DIR");
        if (dir == nullptr) QSKIP("runs inside the fake Internet only (tests/e2e/fake-internet.sh)");
        FDataDir = std::string(dir) + "/data/";
        QVERIFY(FScratch.isValid());
        // The user's settings of this run alone, read when a window opens.
        qputenv("XDG_CONFIG_HOME", FScratch.filePath(QStringLiteral("config")).toUtf8());
    }
    void init() { Open(FDataDir); }
    void cleanup() { FWindow.reset(); }

    void FullLookupThenSaveGivesTheExpectedFile()
    {
        QCOMPARE(FWindow->DefaultDnsServer, std::string("127.0.0.53"));
        Lookup(QStringLiteral("norvane.test"), true, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QVERIFY(Tree()->topLevelItem(0)->isExpanded());
        QVERIFY(Tree()->topLevelItem(1)->isExpanded());
        KeepScreenshot(QStringLiteral("dns-page.png"));

        ExpectSavedFile(QStringLiteral("norvane_test.txt"), "norvane.test.txt");

        // The whole tree, opened, for the record.
        Tree()->expandAll();
        KeepScreenshot(QStringLiteral("dns-page-expanded.png"));
    }

    // A computer whose first name server is IPv6; a domain with IPv4 and IPv6 addresses,
    // a name server with an IPv6 address only, and a whois server reachable over IPv6
    // only, whose first address refuses the connection.
    void FullLookupOverIpv6GivesTheExpectedFile()
    {
        const char* path = std::getenv("FAKE_INTERNET_RESOLV");
        const char* v6First = std::getenv("FAKE_INTERNET_RESOLV_V6_FIRST");
        QVERIFY(path != nullptr && v6First != nullptr);
        const ResolverConfig config(path, v6First);
        cleanup();
        Open(FDataDir);
        QCOMPARE(FWindow->DefaultDnsServer, std::string("fd00:6e76::53"));
        Lookup(QStringLiteral("dual.example"), true, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        ExpectSavedFile(QStringLiteral("dual_example.txt"), "dual.example.txt");
        Tree()->expandAll();
        KeepScreenshot(QStringLiteral("dns-page-ipv6.png"));
    }

    // The domain's own server answers the question for all records with one synthesized
    // HINFO record: the branch shows its CPU text, and nothing under "OS" for the empty one.
    void ServerAnsweringAllRecordsMinimallyIsShownAndSaved()
    {
        Lookup(QStringLiteral("minimal.norvane.test"), true, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        ExpectSavedFile(QStringLiteral("minimal_norvane_test.txt"), "minimal.norvane.test.txt");
    }

    void AccentedNameIsLookedUpInItsAsciiForm()
    {
        // The zone, the whois server's reply file (named after the query, template applied)
        // and the reverse entries know only "xn--caf-dma.xn--zckzah"; the catalogue only
        // the extension "xn--zckzah".
        const QString typed = QString::fromUtf8(" Caf\u00E9.\u30C6\u30B9\u30C8 ");
        Lookup(typed, true, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(Find<QLineEdit>("LEditName")->text(), typed);

        ExpectSavedFile(QString::fromUtf8(" Caf\u00E9_\u30C6\u30B9\u30C8 .txt"), "xn--caf-dma.xn--zckzah.txt");
    }

    void WhoisRepliesKeepTheirAccentsOnRequestAcrossARestart()
    {
        // The same names served in UTF-8 and in Windows-1252; the page as shown, then the
        // holder and address lines of the saved file (Windows-1252).
        const QString readable = QStringLiteral("holder:      Société Générale\naddress:     Élysée, Zürich\n");
        const std::string kept = "Soci\xE9t\xE9 G\xE9n\xE9rale\r\naddress:     \xC9lys\xE9" "e, Z\xFCrich";
        const struct {
            bool keep;
            const char* name;
            QString shown;
            std::string saved;
        } cases[] = {
            {false, "accents-utf8.test",
             QStringLiteral("holder:      SociC)tC) GC)nC)rale\naddress:     C\tlysC)e, ZC<rich\n"),
             "SociC)tC) GC)nC)rale\r\naddress:     C\tlysC)e, ZC<rich"},
            {false, "accents-cp1252.test",
             QStringLiteral("holder:      Sociiti Ginirale\naddress:     Ilysie, Z|rich\n"),
             "Sociiti Ginirale\r\naddress:     Ilysie, Z|rich"},
            {true, "accents-utf8.test", readable, kept},
            {true, "accents-cp1252.test", readable, kept},
        };
        for (const auto& c : cases) {
            // Chosen in the menu, then the window is closed and opened again: it remembers.
            if (Find<QAction>("ConserverAccents1")->isChecked() != c.keep)
                Find<QAction>("ConserverAccents1")->trigger();
            cleanup();
            Open(FDataDir);
            QCOMPARE(Find<QAction>("ConserverAccents1")->isChecked(), c.keep);
            Lookup(QString::fromLatin1(c.name), true, false);
            QVERIFY(FDesktop->Boxes.empty());
            QVERIFY2(Find<QPlainTextEdit>("MemoWhois")->toPlainText().endsWith(c.shown), c.name);
            QVERIFY(FWindow->grab().save(Screenshots + QStringLiteral("/whois-%1-%2.png").arg(c.keep).arg(c.name)));
            FDesktop->Answer = FScratch.filePath(QStringLiteral("accents"));
            QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "Enregistrersous1Click"));
            QCOMPARE(ReadFileBytes(FScratch.filePath(QStringLiteral("accents.txt")).toStdString()),
                     "% Serveur whois de test\r\ndomain:      " + std::string(c.name) + "\r\nholder:      " + c.saved +
                         "\r\n\r\n");
        }
        Find<QAction>("ConserverAccents1")->trigger();  // off again for the other cases
    }

    void DnsAloneKeepsTheWhoisPage()
    {
        FWindow->SetMemoText("earlier page\r\n");
        Lookup(QStringLiteral("norvane.test"), false, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(FWindow->MemoText(), std::string("earlier page\r\n"));
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QCOMPARE(Tree()->topLevelItem(1)->text(0), QStringLiteral("Réponse du DNS: ns1.norvane.test"));
    }

    void NameThatDoesNotExistGivesTheHostBranchAlone()
    {
        Lookup(QStringLiteral("absent.norvane.test"), false, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(TreeLines(), QStringList({QStringLiteral("Réponse du DNS par défaut [0 0]"),
                                           QStringLiteral("\tl'hôte n'a pas été trouvé... [-1 0]")}));
        QVERIFY(!Tree()->topLevelItem(0)->isExpanded());
    }

    void MailOnlyNameShowsItsWwwForm()
    {
        Lookup(QStringLiteral("courrier.norvane.test"), false, true);
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(TreeLines(), QStringList({
                                  QStringLiteral("Réponse du DNS par défaut [1 0]"),
                                  QStringLiteral("\tNom officiel [0 0]"),
                                  QStringLiteral("\t\twww.courrier.norvane.test [2 1]"),
                                  QStringLiteral("\tNom en alias [0 0]"),
                                  QStringLiteral("\tAdresse IP [0 0]"),
                                  QStringLiteral("\t\t127.0.1.20 [2 1]"),
                                  QStringLiteral("\t127.0.1.20 [0 0]"),
                                  QStringLiteral("\t\twww.courrier.norvane.test [2 1]"),
                                  // No name server in that answer: dns.dat's server for "test".
                                  QStringLiteral("Réponse du DNS: 127.0.0.53 [1 0]"),
                                  QStringLiteral("\tNom de domaine [0 0]"),
                                  QStringLiteral("\tCPU [0 0]"),
                                  QStringLiteral("\tOS [0 0]"),
                                  QStringLiteral("\tEMailBox [0 0]"),
                                  QStringLiteral("\tRMailBox [0 0]"),
                                  QStringLiteral("\tMX Exchange [0 0]"),
                                  QStringLiteral("\t\tmail.norvane.test [2 2]"),
                                  QStringLiteral("\tSOA RName [0 0]"),
                                  QStringLiteral("\tSOA MName [0 0]"),
                              }));
    }

    void FailedReverseLookupsAreValuesNotLinks()
    {
        const struct {
            const char* name;
            const char* address;
            QString reverse;
        } cases[] = {
            // The reverse zone has a record for it, but no name record.
            {"station.norvane.test", "127.0.1.30", QStringLiteral("Aucun enregistrement trouvé...")},
            // Not in the reverse zone at all.
            {"nameless.norvane.test", "127.0.1.99", QStringLiteral("Hôte n'a pas été trouvé...")},
            // A reverse zone that no server serves: the server refuses.
            {"ns1.norvane.test", "127.0.0.53", QStringLiteral("Echec de la fonction...")},
        };
        for (const auto& c : cases) {
            Lookup(QString::fromLatin1(c.name), false, true);
            const QString address = QString::fromLatin1(c.address);
            QCOMPARE(TreeLines().mid(0, 8), QStringList({
                                                QStringLiteral("Réponse du DNS par défaut [1 0]"),
                                                QStringLiteral("\tNom officiel [0 0]"),
                                                QStringLiteral("\t\t%1 [2 1]").arg(QString::fromLatin1(c.name)),
                                                QStringLiteral("\tNom en alias [0 0]"),
                                                QStringLiteral("\tAdresse IP [0 0]"),
                                                QStringLiteral("\t\t%1 [2 1]").arg(address),
                                                QStringLiteral("\t%1 [0 0]").arg(address),
                                                QStringLiteral("\t\t%1 [2 2]").arg(c.reverse),
                                            }));
        }
    }

    void IpResolverShowsNamesAndKeepsThemOverOtherFailures()
    {
        auto* field = Find<QLineEdit>("LabeledEditIP");
        auto* result = Find<QLineEdit>("EditURL");
        const struct {
            const char* address;
            QString shown;
        } steps[] = {
            {"127.0.0.1", QStringLiteral("localhost.fake")},         // the namespace's hosts file
            {"127.0.1.11", QStringLiteral("web2.norvane.test")},     // the test reverse zone
            {"127.0.1.99", QStringLiteral("web2.norvane.test")},     // no such name: kept
            {"127.0.0.53", QStringLiteral("web2.norvane.test")},     // a zone nobody serves: kept
            {"abc", QStringLiteral("web2.norvane.test")},            // 255.255.255.255: kept
            {"fd00:6e76::11", QStringLiteral("web6.dual.example")},  // IPv6, the ip6.arpa zone
            {"fd00:6e76::99", QStringLiteral("web6.dual.example")},  // no such name: kept
            {"127.0.1.30", QStringLiteral("Aucun enregistrement trouvé...")},
        };
        for (const auto& s : steps) {
            field->setText(QString::fromLatin1(s.address));
            QTest::keyClick(field, Qt::Key_Enter);
            QCOMPARE(result->text(), s.shown);
        }
    }

    // "Qui détient cette adresse ?" on an address of the tree: the panel resolves it, and
    // the box below it shows the registration from the registry of the address's block.
    void AddressOfTheTreeShowsItsRegistration()
    {
        Lookup(QStringLiteral("hote.nord.test"), false, true);
        const auto nodes = Tree()->findItems(QStringLiteral("45.1.2.3"), Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!nodes.isEmpty());
        Find<TPageControl>("PageControl")->setCurrentWidget(Find<QWidget>("TabDNS"));
        Tree()->scrollToItem(nodes[0]);
        bool offered = false;
        QTimer::singleShot(100, this, [&offered] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            offered = menu != nullptr && menu->actions().size() == 1 &&
                      menu->actions()[0]->text() == QStringLiteral("Qui détient cette adresse ?");
            if (menu == nullptr) return;
            QTest::qWaitForWindowExposed(menu);
            menu->grab().save(Screenshots + QStringLiteral("/dns-page-address-menu.png"));
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "TreeDNSContextMenu",
                                          Q_ARG(QPoint, Tree()->visualItemRect(nodes[0]).center())));
        QVERIFY(offered);
        QCOMPARE(Find<QLineEdit>("LabeledEditIP")->text(), QStringLiteral("45.1.2.3"));
        QCOMPARE(Find<QLineEdit>("EditURL")->text(), QStringLiteral("hote.nord.test"));
        const QString box = Find<QPlainTextEdit>("MemoRegistration")->toPlainText();
        QVERIFY2(box.startsWith(QStringLiteral("Réponse RDAP de https://rdap.nord.test/ip/45.1.2.3\n")) &&
                     box.contains(QStringLiteral("\nNetName: NORD-EXEMPLE\n")) &&
                     box.contains(QStringLiteral("\nOrgAbuseEmail: abus@exemple.test\n")),
                 qPrintable(box));
        KeepScreenshot(QStringLiteral("dns-page-registration.png"));
    }

    // The registry's whois server has no address: RDAP answers, the registry's part then
    // its registrar's, accented contact names through the file's Windows-1252.
    void UnreachableWhoisServerGivesWayToRdap()
    {
        Lookup(QStringLiteral("exemple.gone"), true, false);
        QVERIFY(FDesktop->Boxes.empty());
        ExpectSavedFile(QStringLiteral("exemple_gone.txt"), "exemple.gone.txt");
        // Asked first from the menu, RDAP answers where whois would have.
        Find<QAction>("RdapDabord1")->trigger();
        Lookup(QStringLiteral("norvane.test"), true, false);
        QVERIFY2(FWindow->MemoText().rfind("R\xC3\xA9ponse RDAP de https://rdap.nic.test/domain/norvane.test\r\n", 0) == 0,
                 FWindow->MemoText().c_str());
        QVERIFY(FDesktop->Boxes.empty());
    }

    void WhoisServerThatDoesNotResolveShowsSocketError11001()
    {
        const std::string dir = FScratch.path().toStdString() + "/unresolved/";
        QVERIFY(QDir().mkpath(QString::fromStdString(dir)));
        WriteFileBytes(dir + "whois.dat", "#1\r\nnowhere=absent.norvane.test\r\n");
        cleanup();
        Open(dir);
        Lookup(QStringLiteral("x.nowhere"), true, false);
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
        QCOMPARE(FDesktop->Boxes[0].Text, QStringLiteral("Socket Error # 11001\r\n"));
    }
};

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    WindowInFakeInternet test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_e2e.moc"
