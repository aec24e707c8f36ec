// What a handler lets escape reaches the application's standard error box, and the
// program goes on.
#include "fake_desktop.h"
#include "runtime/exception.h"
#include "ui/application.h"

#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace {

// Throws what it is given from its event handler.
class Thrower : public QObject {
public:
    std::function<void()> Throw;
    int Handled = 0;
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++Handled;
        Throw();
        return true;
    }
};

}  // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private:
    FakeDesktop FDesktop;

private slots:
    void init()
    {
        FDesktop.Boxes.clear();
        static_cast<TApplication*>(qApp)->SetDesktop(FDesktop);
    }

    void EscapingExceptionsShowTheStandardBox()
    {
        const struct {
            std::function<void()> raise;
            QString text;
        } cases[] = {
            {[] { throw EFOpenError("Cannot open file /data/whois.dat"); }, "Cannot open file /data/whois.dat."},
            {[] { throw Exception("Adresse invalide!"); }, "Adresse invalide!"},
            {[] { throw Exception("d\xE9j\xE0"); }, QStringLiteral("déjà.")},
            {[] { throw 42; }, ""},
        };
        for (const auto& c : cases) {
            FDesktop.Boxes.clear();
            Thrower thrower;
            thrower.Throw = c.raise;
            QEvent event(QEvent::User);
            QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
            QCOMPARE(thrower.Handled, 1);
            QCOMPARE(FDesktop.Boxes.size(), size_t(1));
            QCOMPARE(FDesktop.Boxes[0].Text, c.text);
            QCOMPARE(FDesktop.Boxes[0].Caption, QStringLiteral("uitest_application"));
            QCOMPARE(FDesktop.Boxes[0].Icon, QMessageBox::Critical);
        }
    }

    void FrenchToolkitIconAndDesktopEntry()
    {
        // Whatever the locale the test runs under.
        QCOMPARE(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
                 QStringLiteral("Le fichier %1 existe déjà\nVoulez-vous l'écraser ?"));
        QVERIFY(QFile::exists(QStringLiteral(NORVANE_SOURCE_DIR "/packaging/") + QGuiApplication::desktopFileName() +
                              QStringLiteral(".desktop")));
        QVERIFY(QApplication::windowIcon().availableSizes().contains(QSize(128, 128)));
    }

    void MnemonicsAreUnderlinedWhileAltIsHeld()
    {
        QPushButton button(QStringLiteral("Lancer"));
        const QStyle* style = QApplication::style();
        for (const bool held : {false, true, false}) {
            if (held) QTest::keyPress(&button, Qt::Key_Alt, Qt::AltModifier);
            else QTest::keyRelease(&button, Qt::Key_Alt);
            QCOMPARE(style->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &button), int(held));
        }
    }

    void AClickHandlerThatThrowsLeavesTheProgramRunning()
    {
        QPushButton button(QStringLiteral("Lancer"));
        int clicks = 0;
        connect(&button, &QPushButton::clicked, &button, [&] {
            if (++clicks == 1) throw Exception("Socket Error # 10061\r\nConnection refused.");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(FDesktop.Boxes.size(), size_t(1));
        QCOMPARE(FDesktop.Boxes[0].Text, QStringLiteral("Socket Error # 10061\r\nConnection refused."));
        QTest::mouseClick(&button, Qt::LeftButton);  // the next click is handled as usual
        QCOMPARE(clicks, 2);
        QCOMPARE(FDesktop.Boxes.size(), size_t(1));
    }
};

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application.moc"
