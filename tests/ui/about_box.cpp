// The About box on its own: its layout, and its two links through the desktop seam.
#include "fake_desktop.h"
#include "ui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class AboutBoxTest : public QObject {
    Q_OBJECT

private:
    FakeDesktop FDesktop;
    std::unique_ptr<TFAbout> FAbout;

    template <typename T> T* Find(const char* name) const { return FindControl<T>(*FAbout, name); }

private slots:
    void init()
    {
        FDesktop.Opened.clear();
        FAbout = std::make_unique<TFAbout>(FDesktop, nullptr);
        FAbout->show();
        QVERIFY(QTest::qWaitForWindowExposed(FAbout.get()));
    }
    void cleanup() { FAbout.reset(); }

    void LaidOutAsTheFormSays()
    {
        QCOMPARE(FAbout->windowTitle(), QStringLiteral("Norvane"));
        QCOMPARE(FAbout->size(), QSize(392, 241));
        QCOMPARE(FAbout->minimumSize(), QSize(392, 241));
        QCOMPARE(FAbout->maximumSize(), QSize(392, 241));
        QVERIFY(!(FAbout->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const struct {
            const char* name;
            const char* parent;
            QRect place;
            QString text;
        } controls[] = {
            {"Image1", "FAbout", {0, 0, 392, 200}, {}},
            {"Label1", "FAbout", {30, 130, 169, 13}, "Version 1.0"},
            {"Label2", "FAbout", {30, 150, 203, 13}, "http://www.norvane.example/"},
            {"Label3", "FAbout", {30, 170, 203, 13}, "contact@norvane.example"},
            {"Panel1", "FAbout", {0, 200, 392, 41}, {}},
            {"Button1", "Panel1", {8, 9, 75, 22}, "Fermer"},
        };
        for (const auto& c : controls) {
            const QWidget* control = Find<QWidget>(c.name);
            QCOMPARE(control->parentWidget()->objectName(), QString::fromLatin1(c.parent));
            QCOMPARE(control->geometry(), c.place);
            if (const auto* label = qobject_cast<const QLabel*>(control); label && !c.text.isEmpty())
                QCOMPARE(label->text(), c.text);
        }
        QCOMPARE(Find<QPushButton>("Button1")->text(), QStringLiteral("Fermer"));
        QCOMPARE(Find<QLabel>("Image1")->pixmap().size(), QSize(392, 200));
        for (const char* name : {"Label2", "Label3"}) {
            const auto* link = Find<QLabel>(name);
            QVERIFY(link->font().underline());
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        }
        // The labels lie over the picture; the panel is cream, the rest money green.
        QVERIFY(Find<QWidget>("Label1")->isVisible());
        const QImage shot = FAbout->grab().toImage();
        QCOMPARE(shot.pixelColor(300, 230), QColor(255, 251, 240));
        QCOMPARE(FAbout->palette().color(QPalette::Window), QColor(192, 220, 192));
        QCOMPARE(FAbout->font().family(), QStringLiteral("MS Sans Serif"));
    }

    void WebLinkOpensExactlyWhatItShows()
    {
        auto* link = Find<QLabel>("Label2");
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(FDesktop.Opened, std::vector<QString>{QStringLiteral("http://www.norvane.example/")});
        link->setText(QString());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(FDesktop.Opened.back(), QString());
        QTest::mouseClick(link, Qt::RightButton);
        QCOMPARE(FDesktop.Opened.size(), size_t(2));
    }

    void ContactLinkWritesToTheFixedAddressWhateverItShows()
    {
        auto* link = Find<QLabel>("Label3");
        link->setText(QStringLiteral("someone@else.example"));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(FDesktop.Opened, std::vector<QString>{QStringLiteral("mailto:contact@norvane.example")});
    }

    void CloseButtonEndsTheDialogWithOk()
    {
        QTimer::singleShot(0, FAbout.get(), [&] { QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton); });
        QCOMPARE(FAbout->exec(), int(QDialog::Accepted));
        QVERIFY(!FAbout->isVisible());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box.moc"
