// The "Mise à jour" dialog of the real main window inside the fake Internet: the round trip
// with the reference update server, replies it never gives from a scripted server, closing
// before the first tick, and the refusal over an unusable whois.dat. Runs under
// tests/e2e/fake-internet.sh only; every case works on a data folder of its own.
#include "runtime/files.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/ui/fake_desktop.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/server_form.h"

#include <norvane_config.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdlib>
#include <functional>
#include <memory>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

const QString kConnecting = QStringLiteral("Connection au serveur");
const QString kInvalid = QStringLiteral("Retour du serveur invalide");
const QString kCheckingDns = QStringLiteral("Vérification des données DNS");
const QString kCheckingWhois = QStringLiteral("Vérification des données Whois");
const QString kDnsCurrent = QStringLiteral("Les données DNS n'ont pas besoin d'être mise à jour.");
const QString kWhoisCurrent = QStringLiteral("Les données Whois n'ont pas besoin d'être mise à jour.");
const QString kDnsUpdated = QStringLiteral("Les données DNS ont été mise à jour.");
const QString kWhoisUpdated = QStringLiteral("Les données Whois ont été mise à jour.");

// The address that fake-internet.sh leaves free for a scripted update server.
const char* const kScriptedAddress = "127.0.0.81";
const char* const kReferenceAddress = "127.0.0.80";

std::string Reply(int code, const char* reason, const std::string& body)
{
    return "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

std::string UpdateRequest(const std::string& stamp, const char* name)
{
    return "GET /update-whois.php?date=" + stamp + "&name=" + name +
           " HTTP/1.1\r\nHost: " NORVANE_UPDATE_HOST "\r\nAccept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Norvane Library)\r\n\r\n";
}

// The stamp of a data file as fixtures write them: "#", the stamp, CR LF.
std::string StampOf(const std::string& file) { return file.substr(1, file.find("\r\n") - 1); }

// The first IPv4 address the system's resolver gives for `name` ("" when none).
std::string Resolve(const char* name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return {};
    char text[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
    ::freeaddrinfo(found);
    return text;
}

// Sends the update host to another address of the namespace for as long as it lives. The
// hosts file is mounted over /etc/hosts, so it is rewritten in place, never replaced.
class UpdateHostRoute {
public:
    UpdateHostRoute(std::string hostsFile, const std::string& address)
        : FPath(std::move(hostsFile)), FSaved(ReadFileBytes(FPath))
    {
        const std::string line = std::string(kReferenceAddress) + " " NORVANE_UPDATE_HOST "\n";
        const size_t at = FSaved.find(line);
        if (at == std::string::npos) throw std::runtime_error("no line for the update host in " + FPath);
        std::string routed = FSaved;
        routed.replace(at, line.size(), address + " " NORVANE_UPDATE_HOST "\n");
        WriteFileBytes(FPath, routed);
    }
    ~UpdateHostRoute() { WriteFileBytes(FPath, FSaved); }
    UpdateHostRoute(const UpdateHostRoute&) = delete;
    UpdateHostRoute& operator=(const UpdateHostRoute&) = delete;

private:
    std::string FPath;
    std::string FSaved;
};

// What one opening of the dialog came to.
struct Opening {
    bool Shown = false;       // visible when its checks ended
    QStringList Labels;       // LabelDNS, LabelWhois, Label1 once the checks are over
    QString RdapLabel;        // LabelRdap then
    int Result = -1;          // the modal result
    bool TimerActive = false; // its timer still running once the dialog was closed
};

QStringList LabelTexts(const QDialog& dialog)
{
    QStringList texts;
    for (const char* name : {"LabelDNS", "LabelWhois", "Label1"}) {
        const QLabel* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        texts << (label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name)));
    }
    return texts;
}

}  // namespace

class UpdateInFakeInternet : public QObject {
    Q_OBJECT

private:
    std::string FRoot;
    std::string FHosts;
    std::string FDataDir;
    int FCase = 0;
    std::unique_ptr<FakeDesktop> FDesktop;
    std::unique_ptr<TFMain> FWindow;

    template <typename T> T* Find(const char* name) const { return FindControl<T>(*FWindow, name); }

    std::string Installed(const char* file) const { return ReadFileBytes(FDataDir + file); }
    std::string Published(const char* file) const { return ReadFileBytes(FRoot + "/update/" + file); }
    QStringList DataFolder() const
    {
        return QDir(QString::fromStdString(FDataDir)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // The requests the reference update server has logged so far, without the peer:
    // "\"GET /update-whois.php?... HTTP/1.1\" 202".
    QStringList ReferenceRequests() const
    {
        QFile log(QString::fromStdString(FRoot + "/update.log"));
        if (!log.open(QIODevice::ReadOnly)) qFatal("no update server log in the fake Internet");
        QStringList requests;
        bool listening = false;
        for (const QByteArray& line : log.readAll().split('\n')) {
            listening = listening || line.startsWith("listening on ");
            const int quote = line.indexOf('"');
            if (quote > 0) requests << QString::fromLatin1(line.mid(quote));
        }
        if (!listening) qFatal("the update server log does not say it listens");
        return requests;
    }

    // "Mise à jour..." from the menu; `whileOpen` stands for the user while the dialog runs.
    void OpenUpdateDialog(std::function<int(TFServer&)> whileOpen)
    {
        FDesktop->InModal = [whileOpen](QDialog& d) {
            TFServer* form = qobject_cast<TFServer*>(&d);
            return form != nullptr ? whileOpen(*form) : int(QDialog::Rejected);
        };
        Find<QAction>("Gestion1")->trigger();
    }

    // Opens the dialog, lets its timer fire and its checks run in the real modal loop, and
    // closes it with "Fermer" once they are over.
    Opening RunDialog()
    {
        Opening opening;
        OpenUpdateDialog([&opening](TFServer& form) {
            // Connected after the dialog's own handler of the tick, so it runs when both
            // checks are over.
            QObject::connect(&form.Timer, &QTimer::timeout, &form, [&opening, &form] {
                opening.Shown = form.isVisible();
                opening.Labels = LabelTexts(form);
                opening.RdapLabel = form.findChild<QLabel*>(QStringLiteral("LabelRdap"))->text();
                QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BtnAbort")), Qt::LeftButton);
            });
            QTimer::singleShot(20000, &form, [&form] { form.done(QDialog::Rejected); });  // a hung check
            opening.Result = form.exec();
            return opening.Result;
        });
        return opening;
    }

    void Open()
    {
        FDesktop = std::make_unique<FakeDesktop>();
        static_cast<TApplication*>(qApp)->SetDesktop(*FDesktop);
        FWindow = std::make_unique<TFMain>(*FDesktop, FDataDir);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    }

    void WhoisLookup(const QString& name)
    {
        Find<QLineEdit>("LEditName")->setText(name);
        Find<QCheckBox>("CheckWhois")->setChecked(true);
        Find<QCheckBox>("CheckDNS")->setChecked(false);
        QTest::keyClick(Find<QLineEdit>("LEditName"), Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        const char* dir = std::getenv("FAKE_INTERNET_DIR");
        const char* hosts = std::getenv("FAKE_INTERNET_HOSTS");
        if (dir == nullptr || hosts == nullptr) QSKIP("runs inside the fake Internet only (tests/e2e/fake-internet.sh)");
        FRoot = dir;
        FHosts = hosts;
        QCOMPARE(Resolve(NORVANE_UPDATE_HOST), std::string(kReferenceAddress));
        QVERIFY(StampOf(Published("whois.dat")) != StampOf(ReadFileBytes(FRoot + "/data/whois.dat")));
        QVERIFY(StampOf(Published("dns.dat")) != StampOf(ReadFileBytes(FRoot + "/data/dns.dat")));
    }

    // A data folder of its own for every case, with the program's copies of the files.
    void init()
    {
        FDataDir = FRoot + "/update-cases/" + std::to_string(++FCase) + "/";
        QVERIFY(QDir().mkpath(QString::fromStdString(FDataDir)));
        for (const char* file : {"whois.dat", "dns.dat"})
            WriteFileBytes(FDataDir + file, ReadFileBytes(FRoot + "/data/" + file));
        Open();
    }
    void cleanup() { FWindow.reset(); }

    void OldStampsAreReplacedThenReportedCurrent()
    {
        const std::string oldStamp = StampOf(Installed("whois.dat"));
        const std::string newStamp = StampOf(Published("whois.dat"));
        QCOMPARE(StampOf(Installed("dns.dat")), oldStamp);
        QCOMPARE(StampOf(Published("dns.dat")), newStamp);

        // Only the published catalogue knows ".neuf".
        WhoisLookup(QStringLiteral("x.neuf"));
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, QStringLiteral("L'extention .neuf n'est pas supportée!"));
        FDesktop->Boxes.clear();

        const qsizetype logged = ReferenceRequests().size();
        const Opening first = RunDialog();
        QVERIFY(first.Shown);
        QCOMPARE(first.Result, int(TFServer::ModalResultAbort));
        QCOMPARE(first.Labels, QStringList({kDnsUpdated, kWhoisUpdated, QString()}));
        // The server publishes no rdap.json: its 404 shows nothing and writes nothing.
        QCOMPARE(first.RdapLabel, QString());
        QVERIFY(FDesktop->Boxes.empty());
        QCOMPARE(ReferenceRequests().mid(logged),
                 QStringList({QString::fromStdString("\"GET /update-whois.php?date=" + oldStamp + "&name=dns HTTP/1.1\" 202"),
                              QString::fromStdString("\"GET /update-whois.php?date=" + oldStamp + "&name=whois HTTP/1.1\" 202"),
                              QStringLiteral("\"GET /update-whois.php?date=&name=rdap HTTP/1.1\" 404")}));
        QCOMPARE(Installed("dns.dat"), Published("dns.dat"));
        QCOMPARE(Installed("whois.dat"), Published("whois.dat"));
        QCOMPARE(DataFolder(), QStringList({QStringLiteral("dns.dat"), QStringLiteral("whois.dat")}));

        // The window reloaded its catalogue when the dialog closed.
        WhoisLookup(QStringLiteral("x.neuf"));
        QVERIFY(FDesktop->Boxes.empty());
        QVERIFY2(FWindow->MemoText().find("No match for \"x.neuf\".") != std::string::npos, FWindow->MemoText().c_str());

        const Opening second = RunDialog();
        QCOMPARE(second.Labels, QStringList({kDnsCurrent, kWhoisCurrent, QString()}));
        QCOMPARE(ReferenceRequests().mid(logged + 3, 2),
                 QStringList({QString::fromStdString("\"GET /update-whois.php?date=" + newStamp + "&name=dns HTTP/1.1\" 201"),
                              QString::fromStdString("\"GET /update-whois.php?date=" + newStamp + "&name=whois HTTP/1.1\" 201")}));
        QCOMPARE(Installed("dns.dat"), Published("dns.dat"));
        QCOMPARE(Installed("whois.dat"), Published("whois.dat"));
        QVERIFY(FDesktop->Boxes.empty());

        // Once published, rdap.json comes after the two checks, and the window reads it:
        // ".seul", which only RDAP knows, is looked up.
        WriteFileBytes(FRoot + "/update/rdap.json", ReadFileBytes(FRoot + "/data/rdap.json"));
        const Opening third = RunDialog();
        QVERIFY(QFile::remove(QString::fromStdString(FRoot + "/update/rdap.json")));
        QCOMPARE(third.Labels, QStringList({kDnsCurrent, kWhoisCurrent, QString()}));
        QCOMPARE(third.RdapLabel, QStringLiteral("Les données RDAP ont été mise à jour."));
        QCOMPARE(Installed("rdap.json"), ReadFileBytes(FRoot + "/data/rdap.json"));
        WhoisLookup(QStringLiteral("seul.seul"));
        QVERIFY(FDesktop->Boxes.empty());
        QVERIFY2(FWindow->MemoText().find("Domain Name: seul.seul") != std::string::npos, FWindow->MemoText().c_str());
    }

    void RepliesTheReferenceServerNeverGives_data()
    {
        QTest::addColumn<QByteArray>("dnsReply");
        QTest::addColumn<QByteArray>("whoisReply");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QByteArray>("dnsAfter");    // empty: dns.dat untouched
        QTest::addColumn<QByteArray>("whoisAfter");  // empty: whois.dat untouched

        const auto bytes = [](const std::string& s) { return QByteArray::fromStdString(s); };
        const std::string ok = Reply(200, "OK", "#20270101\r\n[test]\r\nserver1=127.0.0.99\r\n");
        const std::string current = Reply(201, "Created", "");
        const std::string notFound = Reply(404, "Not Found", "404 Not Found\r\n");

        QTest::newRow("200 to both") << bytes(ok) << bytes(ok) << QStringList({kInvalid, kInvalid, kConnecting})
                                     << QByteArray() << QByteArray();
        QTest::newRow("200 to DNS, then 201")
            << bytes(ok) << bytes(current) << QStringList({kInvalid, kWhoisCurrent, QString()}) << QByteArray()
            << QByteArray();
        QTest::newRow("404 to both") << bytes(notFound) << bytes(notFound)
                                     << QStringList({kCheckingDns, kCheckingWhois, kConnecting}) << QByteArray()
                                     << QByteArray();
        QTest::newRow("202 without a stamp line to DNS, then 201")
            << bytes(Reply(202, "Accepted", "[test]\r\nserver1=127.0.0.99\r\n")) << bytes(current)
            << QStringList({kInvalid, kWhoisCurrent, QString()}) << QByteArray() << QByteArray();
        // LF line ends are written as CR LF; a "#" on line 2 only is no stamp line.
        QTest::newRow("202 with LF ends to DNS, 202 with # on line 2 to whois")
            << bytes(Reply(202, "Accepted", "#20270101\n[test]\nserver1=127.0.0.53\n"))
            << bytes(Reply(202, "Accepted", "test=whois.nic.test\r\n#20270101\r\n"))
            << QStringList({kDnsUpdated, kInvalid, kConnecting})
            << QByteArray("#20270101\r\n[test]\r\nserver1=127.0.0.53\r\n") << QByteArray();
        // A redirect is not followed (a third connection would be the request it sends).
        QTest::newRow("302 to DNS, then 201")
            << bytes("HTTP/1.1 302 Found\r\nLocation: http://" NORVANE_UPDATE_HOST "/update-whois.php?date=x&name=dns"
                     "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            << bytes(current) << QStringList({kCheckingDns, kWhoisCurrent, QString()}) << QByteArray() << QByteArray();
    }

    void RepliesTheReferenceServerNeverGives()
    {
        QFETCH(QByteArray, dnsReply);
        QFETCH(QByteArray, whoisReply);
        QFETCH(QStringList, labels);
        QFETCH(QByteArray, dnsAfter);
        QFETCH(QByteArray, whoisAfter);

        const std::string dnsBefore = Installed("dns.dat"), whoisBefore = Installed("whois.dat");
        const std::string dnsRequest = UpdateRequest(StampOf(dnsBefore), "dns");
        const std::string whoisRequest = UpdateRequest(StampOf(whoisBefore), "whois");
        // Each reply closes its connection, so each check has a connection of its own. The
        // server listens on port 80 only: the client must go there.
        LoopbackServer::Options options;
        options.Address = kScriptedAddress;
        options.Port = 80;
        LoopbackServer server(
            [&](size_t index) {
                if (index == 0) return Script().ExpectBytes(dnsRequest.size()).Send(dnsReply.toStdString()).Close();
                if (index == 1) return Script().ExpectBytes(whoisRequest.size()).Send(whoisReply.toStdString()).Close();
                return Script().Close();
            },
            options);
        const UpdateHostRoute route(FHosts, kScriptedAddress);
        QCOMPARE(Resolve(NORVANE_UPDATE_HOST), std::string(kScriptedAddress));
        const qsizetype logged = ReferenceRequests().size();

        const Opening opening = RunDialog();
        QVERIFY(opening.Shown);
        QCOMPARE(opening.Labels, labels);
        QVERIFY(FDesktop->Boxes.empty());
        // The third question, rdap.json, meets a closed connection: nothing shows. A
        // server that failed both checks is not asked it.
        const bool bothFailed = !QStringList({kDnsCurrent, kDnsUpdated}).contains(labels[0]) &&
                                !QStringList({kWhoisCurrent, kWhoisUpdated}).contains(labels[1]);
        QCOMPARE(server.ConnectionCount(), size_t(bothFailed ? 2 : 3));
        QCOMPARE(server.Received(0), dnsRequest);
        QCOMPARE(server.Received(1), whoisRequest);  // the whois check runs whatever the first gave
        QCOMPARE(ReferenceRequests().size(), logged);
        QCOMPARE(Installed("dns.dat"), dnsAfter.isEmpty() ? dnsBefore : dnsAfter.toStdString());
        QCOMPARE(Installed("whois.dat"), whoisAfter.isEmpty() ? whoisBefore : whoisAfter.toStdString());
        QCOMPARE(DataFolder(), QStringList({QStringLiteral("dns.dat"), QStringLiteral("whois.dat")}));
    }

    void ClosingBeforeTheFirstTickAsksNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Fermer") << 0 << int(TFServer::ModalResultAbort);
        QTest::newRow("Escape") << 1 << int(QDialog::Rejected);
        QTest::newRow("window closed") << 2 << int(QDialog::Rejected);
    }

    void ClosingBeforeTheFirstTickAsksNothing()
    {
        QFETCH(int, how);
        QFETCH(int, result);
        const qsizetype logged = ReferenceRequests().size();
        qint64 closedAt = -1;
        Opening opening;
        OpenUpdateDialog([&](TFServer& form) {
            QElapsedTimer clock;
            clock.start();
            QTimer::singleShot(300, &form, [&] {
                opening.Shown = form.isVisible();
                closedAt = clock.elapsed();
                if (how == 0) QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BtnAbort")), Qt::LeftButton);
                else if (how == 1) QTest::keyClick(&form, Qt::Key_Escape);
                else form.close();
            });
            QTimer::singleShot(20000, &form, [&form] { form.done(QDialog::Rejected); });
            opening.Result = form.exec();
            // The dialog still exists: stay well past the moment its timer would have fired.
            QTest::qWait(int(std::max<qint64>(0, 1200 - clock.elapsed())));
            opening.TimerActive = form.Timer.isActive();
            opening.Labels = LabelTexts(form);
            return opening.Result;
        });
        QVERIFY(opening.Shown);
        QVERIFY2(closedAt >= 0 && closedAt < 700, qPrintable(QString::number(closedAt)));
        QCOMPARE(opening.Result, result);
        QVERIFY(!opening.TimerActive);
        QCOMPARE(opening.Labels, QStringList({QString(), QString(), QString()}));
        QCOMPARE(ReferenceRequests().size(), logged);
        QVERIFY(FDesktop->Boxes.empty());
    }

    void EmptyWhoisDatRefusesAndTheCatalogueIsStillReloaded()
    {
        QVERIFY(FWindow->WhoisServers.Count() > 0);
        WriteFileBytes(FDataDir + "whois.dat", "");
        // Were dns.dat read, its absence would add a "Cannot open file" box.
        QVERIFY(QFile::remove(QString::fromStdString(FDataDir + "dns.dat")));
        const qsizetype logged = ReferenceRequests().size();

        bool shown = false;
        OpenUpdateDialog([&shown](TFServer&) {
            shown = true;
            return int(QDialog::Rejected);
        });
        QVERIFY(!shown);
        QCOMPARE(FDesktop->ModalCount, 0);
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
        QCOMPARE(FDesktop->Boxes[0].Text, QStringLiteral("Les bases de données sont corrompues"));
        QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Critical);
        QCOMPARE(FWindow->WhoisServers.Count(), 0);
        QCOMPARE(ReferenceRequests().size(), logged);
        QCOMPARE(DataFolder(), QStringList({QStringLiteral("whois.dat")}));
    }
};

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    UpdateInFakeInternet test;
    return QTest::qExec(&test, argc, argv);
}

#include "update_e2e.moc"
