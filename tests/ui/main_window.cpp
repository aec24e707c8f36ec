// The main window driven as the user drives it, offscreen, with a desktop that records
// the boxes and the shell requests instead of showing them.
#include "fake_desktop.h"
#include "tests/fixtures/loopback_server.h"
#include "ui/about_box.h"
#include "ui/labeled_edit.h"
#include "net/whois/id_whois.h"
#include "ui/main_window.h"
#include "ui/page_control.h"
#include "ui/status_bar.h"

#include "runtime/exception.h"
#include "runtime/files.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <array>
#include <memory>

namespace {

const QString NotSupported = QStringLiteral(" n'est pas supportée!");

QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Teal, or teal blended into a light background by anti-aliasing.
bool IsTeal(const QColor& c)
{
    return c.green() > c.red() + 50 && c.blue() > c.red() + 50 && qAbs(c.green() - c.blue()) < 20;
}

// Bounding box of the teal pixels inside an area of the image.
QRect TealBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsTeal(image.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    std::unique_ptr<FakeDesktop> FDesktop;
    std::unique_ptr<TFMain> FWindow;

    std::string DataDir() const { return FDir.path().toStdString() + "/"; }
    template <typename T> T* Find(const char* name) const { return FindControl<T>(*FWindow, name); }
    void Open()
    {
        FWindow = std::make_unique<TFMain>(*FDesktop, DataDir());
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    }
    void Invoke(const char* handler) { QVERIFY(QMetaObject::invokeMethod(FWindow.get(), handler)); }
    void TypeName(const QString& name)
    {
        auto* edit = Find<QLineEdit>("LEditName");
        edit->setText(name);
    }

private slots:
    void init()
    {
        QVERIFY(FDir.isValid());
        WriteFileBytes(DataDir() + "whois.dat", "#1\r\nfr=whois.fr.example\r\n");
        FDesktop = std::make_unique<FakeDesktop>();
        Open();
        QVERIFY(FDesktop->Boxes.empty());
    }
    void cleanup() { FWindow.reset(); }

    void ControlsSitWhereTheFormSays()
    {
        QCOMPARE(FWindow->objectName(), QStringLiteral("FMain"));
        QCOMPARE(FWindow->frameGeometry().size(), QSize(696, 480));
        const QWidget* client = Find<QWidget>("ClientArea");
        const int w = client->width();
        const int h = client->height();
        QCOMPARE(w, FWindow->width());
        QCOMPARE(client->geometry().bottom(), FWindow->height() - 1);
        Find<TPageControl>("PageControl")->setCurrentIndex(1);  // lay the DNS page out too
        const struct {
            const char* name;
            const char* parent;
            QRect place;
        } controls[] = {
            {"PanelTop", "ClientArea", {0, 0, w, 49}},
            {"ImageTop", "PanelTop", {w - 47, 0, 47, 49}},
            {"LEditName", "PanelTop", {32, 20, 177, 21}},
            {"SpeedButton2", "PanelTop", {216, 12, 89, 36}},
            {"CheckWhois", "PanelTop", {350, 10, 113, 17}},
            {"CheckDNS", "PanelTop", {350, 32, 105, 17}},
            {"PageControl", "ClientArea", {0, 49, w, h - 49 - 19}},
            {"StatusBar", "ClientArea", {0, h - 19, w, 19}},
            {"ProgressBar", "StatusBar", {10, 2, 200, 15}},
            {"LabeledEdit1", "Panel", {32, 14, 177, 21}},
            {"SpeedButton3", "Panel", {220, 12, 69, 25}},
            {"Label1", "PanelRightDNS", {4, 40, 177, 13}},
            {"PanelDNS", "PanelRightDNS", {4, 56, 201, 145}},
            {"LabeledEditIP", "PanelDNS", {16, 32, 129, 21}},
            {"SpeedButton1", "PanelDNS", {16, 64, 81, 25}},
            {"EditURL", "PanelDNS", {16, 96, 177, 21}},
        };
        for (const auto& c : controls) {
            const QWidget* control = Find<QWidget>(c.name);
            QCOMPARE(control->parentWidget()->objectName(), QString::fromLatin1(c.parent));
            QCOMPARE(control->geometry(), c.place);
        }
        // Docked inside the pages.
        const QWidget* whoisPage = Find<QWidget>("TabWhois");
        const QWidget* dnsPage = Find<QWidget>("TabDNS");
        QCOMPARE(Find<QWidget>("Panel")->geometry(), QRect(0, 0, whoisPage->width(), 39));
        QCOMPARE(Find<QWidget>("MemoWhois")->geometry(), QRect(0, 39, whoisPage->width(), whoisPage->height() - 39));
        QCOMPARE(Find<QWidget>("PanelRightDNS")->geometry(),
                 QRect(dnsPage->width() - 208, 0, 208, dnsPage->height()));
        QCOMPARE(Find<QWidget>("TreeDNS")->geometry(), QRect(0, 0, dnsPage->width() - 208, dnsPage->height()));
        // Captions of the edit fields: above, 3 pixels away, on the left edge.
        for (const char* name : {"LEditName", "LabeledEdit1", "LabeledEditIP"}) {
            const auto* edit = Find<TLabeledEdit>(name);
            const QLabel* label = edit->EditLabel();
            QCOMPARE(label->parentWidget(), edit->parentWidget());
            QCOMPARE(label->x(), edit->x());
            QCOMPARE(label->geometry().bottom() + 1 + 3, edit->y());
        }
    }

    void CaptionsMenusAndSettings()
    {
        QCOMPARE(FWindow->windowTitle(), QStringLiteral("Norvane"));
        const struct {
            const char* name;
            QString caption;
        } captions[] = {
            {"LEditName", "Nom de l'URL"},     {"LabeledEdit1", "Serveur Whois"}, {"LabeledEditIP", "Adresse IP"},
            {"Label1", "Résolveur d'IP"},      {"SpeedButton2", "Lancer"},        {"SpeedButton3", "Lancer"},
            {"SpeedButton1", "Résoudre"},      {"CheckWhois", "Recherche Whois"}, {"CheckDNS", "Recherche DNS"},
        };
        for (const auto& c : captions) {
            const QWidget* control = Find<QWidget>(c.name);
            if (const auto* edit = qobject_cast<const TLabeledEdit*>(control))
                QCOMPARE(edit->LabelCaption(), c.caption);
            else
                QCOMPARE(control->property("text").toString(), c.caption);
        }
        for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3"}) {
            const auto* button = Find<QToolButton>(name);
            QVERIFY(button->autoRaise());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(Find<QToolButton>("SpeedButton2")->iconSize(), QSize(32, 32));
        QCOMPARE(Find<QToolButton>("SpeedButton3")->iconSize(), QSize(16, 16));
        QCOMPARE(Find<QLabel>("ImageTop")->pixmap().size(), QSize(47, 49));
        QVERIFY(Find<QCheckBox>("CheckWhois")->isChecked() && Find<QCheckBox>("CheckDNS")->isChecked());
        for (const char* name : {"LEditName", "LabeledEdit1", "LabeledEditIP", "EditURL"})
            QVERIFY(Find<QLineEdit>(name)->text().isEmpty());
        QVERIFY(Find<QLineEdit>("EditURL")->isReadOnly());
        const auto* memo = Find<QPlainTextEdit>("MemoWhois");
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        const auto* tree = Find<QTreeWidget>("TreeDNS");
        QCOMPARE(tree->indentation(), 27);
        QCOMPARE(tree->iconSize(), QSize(24, 24));
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        const auto* pages = Find<TPageControl>("PageControl");
        QCOMPARE(pages->count(), 2);
        QCOMPARE(pages->tabText(0), QStringLiteral("Whois"));
        QCOMPARE(pages->tabText(1), QStringLiteral("DNS"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabWhois"));
        QCOMPARE(pages->tabBar()->tabRect(0).width(), 60);
        QCOMPARE(pages->tabBar()->tabRect(1).width(), 60);
        const auto* bar = Find<QProgressBar>("ProgressBar");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(Find<TStatusBar>("StatusBar")->FirstPanel().width(), 220);

        // Menus: titles and items in order, with their mnemonics; the conventional shortcuts.
        const struct {
            const char* menu;
            QString title;
            QStringList items;
            QStringList shortcuts;
        } menus[] = {
            {"Fichier1", "&Fichier", {"&Enregistrer sous", "&Conserver les accents", "&Quitter"},
             {"Ctrl+S", "", "Ctrl+Q"}},
            {"ServeursWhois1", "&Bases de données", {"&Mise à jour...", "&Interroger RDAP d'abord"}, {"", ""}},
            {"N1", "?", {"&Rubriques d'aide", "&A propos de"}, {"F1", ""}},
        };
        const QList<QAction*> top = Find<QMenuBar>("MainMenu")->actions();
        QCOMPARE(top.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const auto* menu = Find<QMenu>(menus[i].menu);
            QCOMPARE(top[i]->menu(), menu);
            QCOMPARE(menu->title(), menus[i].title);
            QStringList items, shortcuts;
            for (const QAction* action : menu->actions()) {
                items << action->text();
                shortcuts << action->shortcut().toString();
            }
            QCOMPARE(items, menus[i].items);
            QCOMPARE(shortcuts, menus[i].shortcuts);
        }
        QVERIFY(FWindow->windowIcon().availableSizes().contains(QSize(48, 48)));
        // Whois replies lose bit 7 until the user asks otherwise.
        QVERIFY(Find<QAction>("ConserverAccents1")->isCheckable() && !Find<QAction>("ConserverAccents1")->isChecked());
        QVERIFY(FWindow->IdWhois1->ASCIIFilter);
        for (const char* name : {"Enregistrersous1", "Quitter1", "Gestion1", "Aide1", "Aproposde1"})
            QVERIFY(Find<QAction>(name));
    }

    void ColoursAndFonts()
    {
        const QColor moneyGreen(192, 220, 192), cream(255, 251, 240), teal(0, 128, 128), white(255, 255, 255);
        const struct {
            const char* name;
            QPalette::ColorRole role;
            QColor color;
        } colours[] = {
            {"ClientArea", QPalette::Window, moneyGreen},   {"PanelTop", QPalette::Window, moneyGreen},
            {"LEditName", QPalette::Base, moneyGreen},      {"LabeledEdit1", QPalette::Base, moneyGreen},
            {"LabeledEditIP", QPalette::Base, moneyGreen},  {"EditURL", QPalette::Base, moneyGreen},
            {"MemoWhois", QPalette::Base, cream},           {"TreeDNS", QPalette::Base, white},
            {"PanelRightDNS", QPalette::Window, moneyGreen}, {"PanelDNS", QPalette::Window, moneyGreen},
            {"PageControl", QPalette::WindowText, teal},    {"MemoWhois", QPalette::Text, Qt::black},
            {"TreeDNS", QPalette::Text, Qt::black},         {"Label1", QPalette::WindowText, Qt::black},
            {"LabeledEdit1", QPalette::Text, Qt::black},    {"SpeedButton3", QPalette::ButtonText, Qt::black},
        };
        for (const auto& c : colours) QCOMPARE(Find<QWidget>(c.name)->palette().color(c.role), c.color);
        // The page control and the status bar keep the system's face colour.
        QVERIFY(Find<QWidget>("PageControl")->palette().color(QPalette::Window) != moneyGreen);
        QVERIFY(Find<QWidget>("StatusBar")->palette().color(QPalette::Window) != moneyGreen);

        // As painted: the top panel, the memo.
        const QImage shot = FWindow->grab().toImage();
        const QPoint panel = Find<QWidget>("PanelTop")->mapTo(FWindow.get(), QPoint(5, 5));
        QCOMPARE(Pixel(shot, panel.x(), panel.y()), moneyGreen);
        const auto* memo = Find<QPlainTextEdit>("MemoWhois");
        const QPoint inside = memo->viewport()->mapTo(FWindow.get(), QPoint(20, 20));
        QCOMPARE(Pixel(shot, inside.x(), inside.y()), cream);

        QCOMPARE(FWindow->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(FWindow->font().pointSize(), 8);
        QVERIFY(Find<QWidget>("PageControl")->font().bold());
        for (const char* name : {"LabeledEdit1", "SpeedButton3", "MemoWhois", "TreeDNS", "LabeledEditIP", "EditURL"}) {
            const QFont font = Find<QWidget>(name)->font();
            QVERIFY2(!font.bold(), name);
            QCOMPARE(font.pointSize(), 8);
        }
    }

    void FocusMovesInTheFormsOrder()
    {
        FWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
        auto order = [&] {
            Find<QWidget>("LEditName")->setFocus();
            QStringList names;
            for (int i = 0; i < 12; ++i) {
                QWidget* focus = QApplication::focusWidget();
                QString name = focus ? focus->objectName() : QString();
                if (qobject_cast<QTabBar*>(focus)) name = focus->parentWidget()->objectName();
                if (!names.isEmpty() && name == names.first()) break;
                names << name;
                QTest::keyClick(focus, Qt::Key_Tab);
            }
            return names;
        };
        QCOMPARE(order(), QStringList({"LEditName", "CheckWhois", "CheckDNS", "PageControl", "MemoWhois", "LabeledEdit1"}));
        Find<TPageControl>("PageControl")->setCurrentIndex(1);
        QCOMPARE(order(), QStringList({"LEditName", "CheckWhois", "CheckDNS", "PageControl", "TreeDNS", "LabeledEditIP",
                                       "EditURL"}));
    }

    void TabCaptionsAreDrawnAtTheirPlacesWhicheverIsActive()
    {
        auto* pages = Find<TPageControl>("PageControl");
        const QPoint barAt = pages->tabBar()->mapTo(pages, QPoint(0, 0));
        QRect first, second;
        for (const int active : {0, 1}) {
            pages->setCurrentIndex(active);
            const QImage image = pages->grab().toImage();
            const QRect tab0 = pages->tabBar()->tabRect(0).translated(barAt);
            const QRect tab1 = pages->tabBar()->tabRect(1).translated(barAt);
            const QRect box0 = TealBox(image, tab0);
            const QRect box1 = TealBox(image, tab1);
            QVERIFY(!box0.isEmpty() && !box1.isEmpty());
            // Glyphs start a pixel or so after the pen position.
            QVERIFY2(box0.left() >= 10 && box0.left() <= 12, qPrintable(QString::number(box0.left())));
            QVERIFY2(box1.left() >= 70 && box1.left() <= 72, qPrintable(QString::number(box1.left())));
            QVERIFY2(box0.top() >= 5 && box0.top() <= 8, qPrintable(QString::number(box0.top())));
            QCOMPARE(box1.top(), box0.top());
            // Nothing teal outside the two tabs: the page itself is not written on.
            const QRect below = TealBox(image, QRect(0, tab0.bottom() + 1, pages->width(), 40));
            QVERIFY2(below.isEmpty(), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(below.x()).arg(below.y()).arg(below.width()).arg(below.height())));
            if (active == 0) {
                first = box0;
                second = box1;
            } else {
                QCOMPARE(box0, first);
                QCOMPARE(box1, second);
            }
        }
    }

    void EnterInTheNameFieldRunsTheLookup()
    {
        auto* edit = Find<QLineEdit>("LEditName");
        const struct {
            const char* name;
            int key;
            Qt::KeyboardModifiers modifiers;
            QString message;  // empty: no box
        } cases[] = {
            {"EXAMPLE.XYZ", Qt::Key_Return, Qt::NoModifier, "L'extention .xyz" + NotSupported},
            {"", Qt::Key_Enter, Qt::KeypadModifier, "Adresse invalide!"},
            {"localhost", Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier, "Adresse invalide!"},
            {"x.xyz\r\nQUIT", Qt::Key_Return, Qt::NoModifier, "Adresse invalide!"},  // before the extension
            {"EXAMPLE.XYZ", Qt::Key_A, Qt::NoModifier, {}},
            {"EXAMPLE.XYZ", Qt::Key_Space, Qt::NoModifier, {}},
        };
        for (const auto& c : cases) {
            FDesktop->Boxes.clear();
            edit->setText(QString::fromLatin1(c.name));
            QTest::keyClick(edit, Qt::Key(c.key), c.modifiers);
            if (c.message.isEmpty()) {
                QVERIFY(FDesktop->Boxes.empty());
            } else {
                QCOMPARE(FDesktop->Boxes.size(), size_t(1));
                QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
                QCOMPARE(FDesktop->Boxes[0].Text, c.message);
                QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Critical);
                QCOMPARE(FDesktop->Boxes[0].Owner, FWindow.get());
            }
        }
        // The release of an Enter pressed elsewhere (the one that closed a box) starts nothing.
        FDesktop->Boxes.clear();
        edit->setText(QStringLiteral("EXAMPLE.XYZ"));
        QTest::keyRelease(edit, Qt::Key_Return);
        QVERIFY(FDesktop->Boxes.empty());

        // The button runs the same lookup.
        FDesktop->Boxes.clear();
        edit->setText(QStringLiteral("a.b.XyZ"));
        QTest::mouseClick(Find<QToolButton>("SpeedButton2"), Qt::LeftButton);
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, "L'extention .xyz" + NotSupported);
    }

    void WhoisLookupFillsThePageAndResetsTheStatusBar()
    {
        fixtures::LoopbackServer server(fixtures::Script().ExpectLine().Send("Domain: EXAMPLE.FR\nStatus: active\n").Close());
        WriteFileBytes(DataDir() + "whois.dat", "#1\r\nfr=127.0.0.1\r\n@127.0.0.1=query $T$ please\r\np@127.0.0.1=" +
                                                    std::to_string(server.Port()) + "\r\n");
        FWindow->ReloadWhoisServers();
        Find<QCheckBox>("CheckDNS")->setChecked(false);
        Find<QPlainTextEdit>("MemoWhois")->setPlainText(QStringLiteral("old text"));
        TypeName(QStringLiteral("  EXAMPLE.FR "));
        QTest::keyClick(Find<QLineEdit>("LEditName"), Qt::Key_Return);

        QVERIFY(FDesktop->Boxes.empty());
        QVERIFY(server.WaitFinished(1));
        QCOMPARE(server.Received(0), std::string("query EXAMPLE.FR please\r\n"));
        QCOMPARE(FWindow->MemoText(), std::string("Domain: EXAMPLE.FR\r\nStatus: active\r\n"));
        QCOMPARE(Find<QPlainTextEdit>("MemoWhois")->toPlainText(), QStringLiteral("Domain: EXAMPLE.FR\nStatus: active\n"));
        QCOMPARE(Find<TStatusBar>("StatusBar")->StageText(), QString());
        QCOMPARE(Find<QProgressBar>("ProgressBar")->value(), 0);
        QCOMPARE(FWindow->ScreenCursor(), TCursor::crDefault);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void EnterInTheServerFieldAsksThatServerOnTheLastPort()
    {
        fixtures::LoopbackServer server([](size_t index) {
            return fixtures::Script().ExpectLine().Send(index == 0 ? "by catalogue\r\n" : "by hand\n").Close();
        });
        WriteFileBytes(DataDir() + "whois.dat",
                       "#1\r\nfr=127.0.0.1\r\np@127.0.0.1=" + std::to_string(server.Port()) + "\r\n");
        FWindow->ReloadWhoisServers();
        Find<QCheckBox>("CheckDNS")->setChecked(false);
        TypeName(QStringLiteral("example.fr"));
        Invoke("Button1Click");
        QCOMPARE(FWindow->MemoText(), std::string("by catalogue\r\n"));

        auto* tree = Find<QTreeWidget>("TreeDNS");
        FWindow->TreeNodes().AddChild(nullptr, "kept", 0, 0, 0);
        auto* field = Find<QLineEdit>("LabeledEdit1");
        field->setText(QStringLiteral(" 127.0.0.1 "));
        TypeName(QStringLiteral(" Example.FR "));
        QTest::keyClick(field, Qt::Key_Enter);
        QVERIFY(FDesktop->Boxes.empty());
        QVERIFY(server.WaitFinished(2));
        QCOMPARE(server.Received(1), std::string("Example.FR\r\n"));
        QCOMPARE(FWindow->MemoText(), std::string("by hand\r\n"));
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(field->text(), QStringLiteral(" 127.0.0.1 "));  // a lookup never fills it
    }

    void FailedWhoisShowsTheMessageAndLeavesThePageEmpty()
    {
        fixtures::LoopbackServer server(fixtures::Script().ExpectLine().Reset());
        WriteFileBytes(DataDir() + "whois.dat",
                       "#1\r\nfr=127.0.0.1\r\np@127.0.0.1=" + std::to_string(server.Port()) + "\r\n");
        FWindow->ReloadWhoisServers();
        // The DNS steps would ask the machine's own resolver about example.fr.
        Find<QCheckBox>("CheckDNS")->setChecked(false);
        FWindow->SetMemoText("previous reply");
        TypeName(QStringLiteral("example.fr"));
        Invoke("Button1Click");
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
        QVERIFY(!FDesktop->Boxes[0].Text.isEmpty());
        QCOMPARE(FWindow->MemoText(), std::string());
        QCOMPARE(Find<TStatusBar>("StatusBar")->StageText(), QString());
        QCOMPARE(Find<QProgressBar>("ProgressBar")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void ShowErrorSaysNothingForAnEmptyMessage()
    {
        FWindow->ShowError("");
        QVERIFY(FDesktop->Boxes.empty());
        FWindow->ShowError("Connection Closed Gracefully.");
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, QStringLiteral("Connection Closed Gracefully."));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Erreur"));
    }

    void SaveDialogShowsTheFilterAsWrittenAndAsksBeforeOverwriting()
    {
        // The window's filters in the real desktop's dialog, looked at from inside; the
        // UTF-8 entry is chosen and comes back as the window's own.
        Invoke("Enregistrersous1Click");
        const QStringList filters = FDesktop->Filter.split(QStringLiteral(";;"));
        const QString target = FDir.filePath(QStringLiteral("chosen.txt"));
        TDesktop desktop;
        QStringList shown;
        QFileDialog::Options options;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            options = dialog->options();
            if (const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
            dialog->selectNameFilter(filters.last());
            FindControl<QLineEdit>(*dialog, "fileNameEdit")->setText(target);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start(10);
        QString chosenFilter;
        const QString chosen =
            desktop.SaveFileName(FWindow.get(), QStringLiteral("example_fr.txt"), FDesktop->Filter, &chosenFilter);
        poll.stop();
        QCOMPARE(chosen, target);
        QVERIFY(filters.last().startsWith(chosenFilter));
        QCOMPARE(shown, QStringList({QStringLiteral("Fichiers *.txt"), QStringLiteral("Texte UTF-8 (*.txt)")}));
        QVERIFY(!options.testFlag(QFileDialog::DontConfirmOverwrite));
    }

    void DoubleClickSelectsTheWholeField()
    {
        for (const char* name : {"LEditName", "LabeledEdit1"}) {
            auto* edit = Find<QLineEdit>(name);
            edit->setText(QStringLiteral("www.example.fr other"));
            QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(10, edit->height() / 2));
            QCOMPARE(edit->selectedText(), edit->text());
        }
    }

    void TreeNodesKeepImagesAndData()
    {
        TTreeNodes& nodes = FWindow->TreeNodes();
        QTreeWidgetItem* root = nodes.AddChild(nullptr, "R\xE9ponse du DNS par d\xE9" "faut", 0, 0, 0);
        QTreeWidgetItem* leaf = nodes.AddChild(root, "192.0.2.10", 2, 2, 1);
        QTreeWidgetItem* failure = nodes.AddChild(root, "Echec de la fonction...", -1, -1, 0xFFFFFFFFu);
        const auto* tree = Find<QTreeWidget>("TreeDNS");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), QStringLiteral("Réponse du DNS par défaut"));
        QCOMPARE(TTreeNodes::Text(root), std::string("R\xE9ponse du DNS par d\xE9" "faut"));
        QCOMPARE(root->childCount(), 2);
        QCOMPARE(TTreeNodes::Image(leaf), 2);
        QCOMPARE(TTreeNodes::Data(leaf), 1u);
        QCOMPARE(TTreeNodes::Data(failure), 0xFFFFFFFFu);
        QVERIFY(!leaf->icon(0).isNull());
        QVERIFY(failure->icon(0).isNull());
        nodes.SetImages(root, 1, 1);
        QCOMPARE(TTreeNodes::Image(root), 1);
        QCOMPARE(TTreeNodes::SelectedImage(root), 1);
        // The three pictures: yellow folders, a blue link.
        const auto colourOf = [](const QIcon& icon) {
            const QImage image = icon.pixmap(24, 24).toImage();
            long r = 0, g = 0, b = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.alpha() < 200) continue;
                    r += c.red();
                    g += c.green();
                    b += c.blue();
                }
            return std::array<long, 3>{r, g, b};
        };
        for (const int image : {0, 1}) {
            nodes.SetImages(root, image, image);
            const auto [r, g, b] = colourOf(root->icon(0));
            QVERIFY(r > b * 2 && g > b * 2);
        }
        const auto [r, g, b] = colourOf(leaf->icon(0));
        QVERIFY(b > r * 2 && b > g);
    }

    void HelpOpensTheDocumentBesideTheProgram()
    {
        const QString help = QString::fromStdString(DataDir() + "nvHelp.html");
        Invoke("Aide1Click");
        QCOMPARE(FDesktop->Opened, std::vector<QString>{help});
        QVERIFY(FDesktop->Boxes.empty());
        // No program opens it: the user is told where the file is.
        FDesktop->OpenFails = true;
        Invoke("Aide1Click");
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Caption, QStringLiteral("Norvane"));
        QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Warning);
        QVERIFY(FDesktop->Boxes[0].Text.startsWith(QStringLiteral("L'aide n'a pas pu être ouverte")));
        QVERIFY(FDesktop->Boxes[0].Text.endsWith(QStringLiteral("fichier\u00A0:\n\n") + help));
        FDesktop->OpenFails = false;

        // 259 characters and the terminator fit the limit; one more is refused, never cut.
        const std::string name = "nvHelp.html";
        for (const size_t length : {size_t(259), size_t(260), size_t(400)}) {
            FDesktop->Opened.clear();
            FWindow->HelpDir = "/" + std::string(length - name.size() - 2, 'd') + "/";
            Invoke("Aide1Click");
            if (length < 260)
                QCOMPARE(FDesktop->Opened, std::vector<QString>{QString::fromStdString(FWindow->HelpDir + name)});
            else
                QVERIFY(FDesktop->Opened.empty());
        }
    }

    void TheDesktopsOpenerReportsFailure()
    {
        // Stand-ins for the desktop's opener: one that finds no program, one not there.
        for (const char* opener : {"false", "/nonexistent/opener"}) {
            TDesktop desktop;
            desktop.Opener = QString::fromLatin1(opener);
            int failures = 0;
            desktop.ShellOpen(FWindow.get(), QStringLiteral("/tmp/nvHelp.html"), [&] { ++failures; });
            QTRY_COMPARE(failures, 1);
        }
    }

    void KeysReachTheirCommands()
    {
        FWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
        QTest::keyClick(FWindow.get(), Qt::Key_F1);
        QCOMPARE(FDesktop->Opened.size(), size_t(1));
        QTest::keyClick(FWindow.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(FDesktop->Asked, 1);
        QTest::keyClick(FWindow.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(Find<QMenu>("Fichier1")->isVisible());
        Find<QMenu>("Fichier1")->close();
        QTest::keyClick(FWindow.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!FWindow->isVisible());
    }

    void AtItsMinimumSizeEveryControlIsWhole()
    {
        FWindow->resize(1, 1);
        QCOMPARE(FWindow->size(), FWindow->minimumSize());
        const QWidget* dnsPanel = Find<QWidget>("PanelDNS");
        for (const int page : {0, 1}) {
            Find<TPageControl>("PageControl")->setCurrentIndex(page);
            QCoreApplication::processEvents();
            for (const char* name : {"LEditName", "SpeedButton2", "CheckWhois", "CheckDNS", "ImageTop", "LabeledEdit1",
                                     "SpeedButton3", "MemoWhois", "TreeDNS", "Label1", "PanelDNS", "StatusBar"}) {
                const QWidget* control = Find<QWidget>(name);
                if (control->isVisibleTo(FWindow.get()))
                    QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), name);
            }
        }
        // Not a pixel more: the globe right after the check boxes, the resolver's panel on
        // the status bar.
        QCOMPARE(Find<QWidget>("ImageTop")->x(), Find<QWidget>("CheckWhois")->geometry().right() + 1);
        QCOMPARE(dnsPanel->geometry().bottom() + 1, dnsPanel->parentWidget()->height());
    }

    void AboutBoxIsShownModallyAndItsLinksGoThroughTheShell()
    {
        FDesktop->InModal = [&](QDialog& dialog) {
            [&] {
                QCOMPARE(dialog.objectName(), QStringLiteral("FAbout"));
                QCOMPARE(dialog.parentWidget(), FWindow.get());
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Norvane"));
                QCOMPARE(dialog.size(), QSize(392, 241));
                QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
            }();
            return int(QDialog::Accepted);
        };
        Invoke("Aproposde1Click");
        QCOMPARE(FDesktop->ModalCount, 1);
        QVERIFY(FWindow->findChildren<TFAbout*>().isEmpty());  // deleted when closed
    }

    void UpdateReloadsTheCatalogue()
    {
        WriteFileBytes(DataDir() + "whois.dat", "#2\r\nxyz=whois.xyz.example\r\n");
        Invoke("Gestion1Click");
        QCOMPARE(FWindow->WhoisServers.Values("xyz"), std::string("whois.xyz.example"));
        QCOMPARE(FWindow->WhoisServers.Values("fr"), std::string());

        // A catalogue that cannot be read leaves it empty, and the failure goes on up.
        QFile::remove(FDir.filePath(QStringLiteral("whois.dat")));
        bool raised = false;
        try {
            QMetaObject::invokeMethod(FWindow.get(), "Gestion1Click");
        } catch (const EFOpenError& e) {
            raised = true;
            QCOMPARE(std::string(e.what()), "Cannot open file " + DataDir() + "whois.dat");
        }
        QVERIFY(raised);
        QCOMPARE(FWindow->WhoisServers.Count(), 0);
    }

    void MissingCatalogueAtStartIsReportedAndTheWindowOpens()
    {
        // A data folder named with accents: the box names it with the same characters.
        FWindow.reset();
        const QString folder = FDir.filePath(QStringLiteral("Résumé")) + QLatin1Char('/');
        FWindow = std::make_unique<TFMain>(*FDesktop, QFile::encodeName(folder).toStdString());
        FWindow->show();
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        const auto& box = FDesktop->Boxes[0];
        QCOMPARE(box.Text, "Cannot open file " + folder + "whois.dat.");
        QCOMPARE(box.Caption, QStringLiteral("uitest_main_window"));
        QCOMPARE(box.Icon, QMessageBox::Critical);
        QVERIFY(FWindow->isVisible());
        QCOMPARE(FWindow->WhoisServers.Count(), 0);
        FDesktop->Boxes.clear();
        TypeName(QStringLiteral("example.fr"));
        Invoke("Button1Click");
        QCOMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, "L'extention .fr" + NotSupported);
    }

    void QuitAndTheCloseBoxEndTheSameWay()
    {
        // Each way must end the event loop as the program runs it.
        qApp->setQuitOnLastWindowClosed(true);
        for (const bool byMenu : {true, false}) {
            FWindow.reset();
            Open();
            QTimer::singleShot(0, FWindow.get(), [&] {
                if (byMenu)
                    Invoke("Quitter1Click");
                else
                    FWindow->close();
            });
            QTimer guard;
            guard.setSingleShot(true);
            connect(&guard, &QTimer::timeout, qApp, [] { qApp->exit(1); });
            guard.start(5000);
            QCOMPARE(qApp->exec(), 0);
            QVERIFY(!FWindow->isVisible());
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window.moc"
