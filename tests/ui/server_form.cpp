// The "Mise à jour" dialog: its form, its refusal, its timer and the checks it runs.
#include "runtime/files.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/ui/fake_desktop.h"
#include "ui/main_window.h"
#include "ui/server_form.h"

#include <norvane_config.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using fixtures::LoopbackServer;
using fixtures::Script;

namespace {

const QString kCorrupt = QStringLiteral("Les bases de données sont corrompues");

std::string Reply201() { return "HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n"; }

std::string RequestFor(const std::string& stamp, const std::string& name)
{
    return "GET /update-whois.php?date=" + stamp + "&name=" + name +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Norvane Library)\r\n\r\n";
}

}  // namespace

class ServerFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    std::unique_ptr<FakeDesktop> FDesktop;

    std::string DataDir() const { return FDir.path().toStdString() + "/"; }

    void WriteData(const char* whois, const char* dns)
    {
        QFile::remove(FDir.filePath(QStringLiteral("whois.dat")));
        QFile::remove(FDir.filePath(QStringLiteral("dns.dat")));
        if (whois != nullptr) WriteFileBytes(DataDir() + "whois.dat", whois);
        if (dns != nullptr) WriteFileBytes(DataDir() + "dns.dat", dns);
    }

    template <typename T>
    static T* Child(QWidget& form, const char* name)
    {
        return FindControl<T>(form, name);
    }

private slots:
    void init()
    {
        FDesktop = std::make_unique<FakeDesktop>();
        WriteData("#w1\r\nac=whois.nic.ac\r\n", "#d1\r\n[ac]\r\nserver1=a.nic.ac\r\n");
    }

    void FormLayout()
    {
        TFServer dialog(*FDesktop, DataDir(), nullptr, "127.0.0.1");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Mise à jour"));
        const Qt::WindowFlags flags = dialog.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.size(), QSize(393, 118));
        QCOMPARE(dialog.pos(), QPoint(295, 168));
        QCOMPARE(dialog.font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(dialog.font().pointSize(), 8);
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(192, 220, 192));

        const struct {
            const char* name;
            QRect geometry;
        } controls[] = {
            {"LabelDNS", {16, 16, 369, 13}}, {"LabelWhois", {16, 40, 369, 13}}, {"ImageTop", {346, 0, 47, 49}},
            {"Panel1", {0, 77, 393, 41}},    {"BtnAbort", {7, 8, 75, 25}},      {"Label1", {96, 16, 289, 13}},
        };
        for (const auto& c : controls) QCOMPARE(Child<QWidget>(dialog, c.name)->geometry(), c.geometry);
        QWidget* panel = Child<QWidget>(dialog, "Panel1");
        QCOMPARE(panel->palette().color(QPalette::Window), QColor(255, 251, 240));
        QCOMPARE(panel->property("bevel").toString(), QStringLiteral("none"));
        QCOMPARE(Child<QWidget>(dialog, "BtnAbort")->parentWidget(), panel);
        QCOMPARE(Child<QWidget>(dialog, "Label1")->parentWidget(), panel);
        QCOMPARE(Child<QPushButton>(dialog, "BtnAbort")->text(), QStringLiteral("Fermer"));
        for (const char* label : {"LabelDNS", "LabelWhois", "Label1"}) QVERIFY(Child<QLabel>(dialog, label)->text().isEmpty());
        QLabel* image = Child<QLabel>(dialog, "ImageTop");
        QVERIFY(!image->pixmap().isNull());
        QCOMPARE(image->alignment(), Qt::AlignCenter);
        QCOMPARE(dialog.Timer.interval(), 700);
        QVERIFY(dialog.Timer.isSingleShot());
        QVERIFY(!dialog.Timer.isActive());
        QCOMPARE(dialog.Updater().UpdateHost, std::string("127.0.0.1"));

        TFServer production(*FDesktop, DataDir(), nullptr);
        QCOMPARE(production.Updater().UpdateHost, std::string(NORVANE_UPDATE_HOST));
        QCOMPARE(production.Updater().IdHTTP.Limits.ReadTimeout, 30000);
    }

    void RefusesToOpenOverUnusableData_data()
    {
        QTest::addColumn<QString>("whois");
        QTest::addColumn<QString>("dns");
        QTest::newRow("empty whois.dat") << QString() << QStringLiteral("#d\r\n");
        QTest::newRow("whois.dat without #") << QStringLiteral("ac=x\r\n") << QStringLiteral("#d\r\n");
        QTest::newRow("dns.dat without #") << QStringLiteral("#w\r\n") << QStringLiteral("[ac]\r\n");
    }

    void RefusesToOpenOverUnusableData()
    {
        QFETCH(QString, whois);
        QFETCH(QString, dns);
        WriteData(whois.toLatin1().constData(), dns.toLatin1().constData());
        TFServer dialog(*FDesktop, DataDir(), nullptr, "127.0.0.1");
        QVERIFY(dialog.DataCorrupt());
        QCOMPARE(dialog.RunModal(), 0);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
        QCOMPARE(FDesktop->Boxes[0].Text, kCorrupt);
        QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Critical);
        QCOMPARE(FDesktop->Boxes[0].Owner, static_cast<QWidget*>(&dialog));
        QCOMPARE(FDesktop->ModalCount, 0);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.Timer.isActive());
    }

    void UnreadableFileIsReportedAndTheDialogStillOpens()
    {
        WriteData(nullptr, "#d\r\n");
        TFServer dialog(*FDesktop, DataDir(), nullptr, "127.0.0.1");
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, QString::fromStdString("Cannot open file " + DataDir() + "whois.dat."));
        QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Critical);
        QVERIFY(!dialog.DataCorrupt());
        dialog.RunModal();
        QCOMPARE(FDesktop->ModalCount, 1);
    }

    void ClosingWithin700MillisecondsMakesNoRequest()
    {
        LoopbackServer server(Script().ExpectLine().Send(Reply201()));
        TFServer dialog(*FDesktop, DataDir(), nullptr, "127.0.0.1");
        dialog.Updater().IdHTTP.DefaultPort = server.Port();
        FDesktop->InModal = [](QDialog& d) {
            QTimer::singleShot(300, &d, [&d] { d.findChild<QPushButton*>(QStringLiteral("BtnAbort"))->click(); });
            const int result = d.exec();
            QTest::qWait(800);  // past the moment the timer would have fired
            return result;
        };
        QCOMPARE(dialog.RunModal(), int(TFServer::ModalResultAbort));
        QVERIFY(!dialog.Timer.isActive());
        QCOMPARE(server.ConnectionCount(), size_t(0));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("LabelDNS"))->text().isEmpty());
    }

    void ChecksRunOnTheFirstTickWithTheHourglassAndRepaintTheirOwnLabels()
    {
        const std::string dns = RequestFor("d1", "dns"), whois = RequestFor("w1", "whois");
        const std::string newDns = "#d2\r\n[ac]\r\nserver1=b.nic.ac\r\n";
        LoopbackServer server(Script()
                                  .ExpectBytes(dns.size())
                                  .Send("HTTP/1.1 202 Accepted\r\nContent-Length: " + std::to_string(newDns.size()) +
                                        "\r\n\r\n" + newDns)
                                  .ExpectBytes(whois.size())
                                  .Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
        TFServer dialog(*FDesktop, DataDir(), nullptr, "127.0.0.1");
        TDataUpdater& updater = dialog.Updater();
        updater.IdHTTP.DefaultPort = server.Port();
        std::vector<int> pauses;
        updater.OnPause = [&pauses](int ms) { pauses.push_back(ms); };
        QElapsedTimer clock;
        qint64 firstRepaint = -1;
        QStringList shown;
        bool hourglass = true;
        QLabel* labelDns = Child<QLabel>(dialog, "LabelDNS");
        QLabel* labelWhois = Child<QLabel>(dialog, "LabelWhois");
        QLabel* label1 = Child<QLabel>(dialog, "Label1");
        const auto repaint = updater.OnRepaint;
        updater.OnRepaint = [&](TDataUpdater::TCheckLabel label) {
            repaint(label);
            if (firstRepaint < 0) firstRepaint = clock.elapsed();
            shown << labelDns->text() + "|" + labelWhois->text() + "|" + label1->text();
            const QCursor* cursor = QApplication::overrideCursor();
            hourglass = hourglass && cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        };
        const QString invalid = QStringLiteral("Retour du serveur invalide");
        FDesktop->InModal = [&](QDialog& d) {
            clock.start();
            d.show();
            const bool done = QTest::qWaitFor([&] { return labelWhois->text() == invalid; }, 5000);
            d.done(done ? TFServer::ModalResultAbort : QDialog::Rejected);
            return d.result();
        };
        QCOMPARE(dialog.RunModal(), int(TFServer::ModalResultAbort));

        QVERIFY2(firstRepaint >= 650, qPrintable(QString::number(firstRepaint)));
        QVERIFY(hourglass);
        QCOMPARE(QApplication::overrideCursor(), static_cast<QCursor*>(nullptr));
        // While the whois check runs, the DNS label still shows what was last painted in it.
        const QString updating = QStringLiteral("Mise à jour des données DNS.");
        QCOMPARE(shown, QStringList({QStringLiteral("Vérification des données DNS||Connection au serveur"),
                                     updating + "||", updating + "|Vérification des données Whois|Connection au serveur"}));
        QCOMPARE(labelDns->text(), QStringLiteral("Les données DNS ont été mise à jour."));
        QCOMPARE(label1->text(), QStringLiteral("Connection au serveur"));
        QCOMPARE(pauses, std::vector<int>({200, 500, 200}));
        QCOMPARE(server.Received(0), dns + whois);
        QCOMPARE(ReadFileBytes(DataDir() + "dns.dat"), newDns);
        QVERIFY(!dialog.Timer.isActive());
    }

    void MainWindowRunsTheDialogAndReloadsTheCatalogue()
    {
        TFMain window(*FDesktop, DataDir());
        FDesktop->Boxes.clear();
        bool sawDialog = false;
        FDesktop->InModal = [&](QDialog& d) {
            sawDialog = qobject_cast<TFServer*>(&d) != nullptr;
            WriteData("#w2\r\nxyz=whois.xyz.example\r\n", "#d\r\n");  // as if the dialog wrote it
            return TFServer::ModalResultAbort;
        };
        QMetaObject::invokeMethod(&window, "Gestion1Click");
        QVERIFY(sawDialog);
        QCOMPARE(window.WhoisServers.Values("xyz"), std::string("whois.xyz.example"));

        // Refused over an unusable whois.dat: the box, no dialog, and still a reload.
        WriteData("", "#d\r\n");
        FDesktop->ModalCount = 0;
        QMetaObject::invokeMethod(&window, "Gestion1Click");
        QCOMPARE(FDesktop->ModalCount, 0);
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, kCorrupt);
        QCOMPARE(window.WhoisServers.Count(), 0);
    }
};

QTEST_MAIN(ServerFormTest)
#include "server_form.moc"
