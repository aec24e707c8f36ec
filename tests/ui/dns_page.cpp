// The DNS page of the real window: the resolver component, the tree's images, drawing,
// cursor and links, the IP resolver panel, and saving results through the save dialog's
// seam. Nothing here asks a name of a DNS server: the only reverse lookup is 127.0.0.1,
// which the hosts file answers.
#include "fake_desktop.h"
#include "net/dns/id_dns_resolver.h"
#include "runtime/exception.h"
#include "runtime/files.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/page_control.h"
#include "ui/status_bar.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <memory>

namespace {

// A window whose host step finds nothing and whose record step raises, as a step that
// lets a failure through would.
class FailingDnsWindow : public TFMain {
public:
    using TFMain::TFMain;

protected:
    void ShowHostInfo(const std::string&) override {}
    void ShowDnsRecords(const std::string&) override { throw Exception("Record step failed"); }
};

bool IsBlue(const QColor& c) { return c.blue() > 200 && c.red() < 80 && c.green() < 80; }

// Widest run of blue pixels on one row of the area, and how many blue pixels it holds.
struct BlueInk {
    int Pixels = 0;
    int WidestRow = 0;
};
BlueInk BlueIn(const QImage& image, const QRect& area)
{
    BlueInk ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int row = 0;
        for (int x = area.left(); x <= area.right(); ++x)
            if (IsBlue(image.pixelColor(x, y))) ++row;
        ink.Pixels += row;
        ink.WidestRow = std::max(ink.WidestRow, row);
    }
    return ink;
}

}  // namespace

class DnsPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    std::unique_ptr<FakeDesktop> FDesktop;
    std::unique_ptr<TFMain> FWindow;

    std::string DataDir() const { return FDir.path().toStdString() + "/"; }
    template <typename T> T* Find(const char* name) const { return FindControl<T>(*FWindow, name); }
    QTreeWidget* Tree() const { return Find<QTreeWidget>("TreeDNS"); }
    void ShowDnsPage()
    {
        Find<TPageControl>("PageControl")->setCurrentWidget(Find<QWidget>("TabDNS"));
        QCoreApplication::processEvents();
    }
    void MoveOver(const QPoint& at)
    {
        QMouseEvent move(QEvent::MouseMove, at, Tree()->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(Tree()->viewport(), &move);
    }
    // The events a double-click brings, in the order the window system sends them.
    void DoubleClick(const QPoint& at)
    {
        const QPoint global = Tree()->viewport()->mapToGlobal(at);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
            QCoreApplication::sendEvent(Tree()->viewport(), &event);
        }
    }
    // The window with the hint over it, as the screen shows them, kept in <build>/screenshots.
    void KeepScreenshot(const QString& name) const
    {
        const QRect window(FWindow->mapToGlobal(QPoint(0, 0)), FWindow->size());
        QRect area = window;
        QWidget* hint = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->inherits("QTipLabel") && top->isVisible()) hint = top;
        if (hint != nullptr) area |= hint->geometry();
        QPixmap shot(area.size());
        shot.fill(Qt::darkGray);
        QPainter painter(&shot);
        painter.drawPixmap(window.topLeft() - area.topLeft(), FWindow->grab());
        if (hint != nullptr) painter.drawPixmap(hint->pos() - area.topLeft(), hint->grab());
        const QString folder = QStringLiteral(NORVANE_BIN_DIR "/../screenshots");
        QDir().mkpath(folder);
        QVERIFY(shot.save(folder + QLatin1Char('/') + name));
    }
    QPoint CentreOf(QTreeWidgetItem* item) const { return Tree()->visualItemRect(item).center(); }

    // A host branch as a lookup leaves it, built by hand: labels, links, values, a
    // failure node and a branch of the second kind.
    struct Nodes {
        QTreeWidgetItem *Root, *Official, *Name, *Address, *NoName, *Long;
    };
    Nodes BuildBranch()
    {
        TTreeNodes& n = FWindow->TreeNodes();
        Nodes nodes{};
        nodes.Root = n.AddChild(nullptr, "R\xE9ponse du DNS par d\xE9" "faut", 0, 0, 0);
        nodes.Official = n.AddChild(nodes.Root, "Nom officiel", 0, 0, 0);
        nodes.Name = n.AddChild(nodes.Official, "host.example.org", 2, 2, 1);
        nodes.Address = n.AddChild(nodes.Root, "192.0.2.10", 0, 0, 0);
        nodes.NoName = n.AddChild(nodes.Address, "Aucun enregistrement trouv\xE9...", 2, 2, 2);
        nodes.Long = n.AddChild(nodes.Root, std::string(600, 'w'), 2, 2, 1);
        Tree()->expandAll();
        QCoreApplication::processEvents();
        return nodes;
    }

private slots:
    void init()
    {
        QVERIFY(FDir.isValid());
        WriteFileBytes(DataDir() + "whois.dat", "#1\r\nfr=whois.fr.example\r\n");
        FDesktop = std::make_unique<FakeDesktop>();
        static_cast<TApplication*>(qApp)->SetDesktop(*FDesktop);
        FWindow = std::make_unique<TFMain>(*FDesktop, DataDir());
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
        QVERIFY(FDesktop->Boxes.empty());
    }
    void cleanup()
    {
        FWindow.reset();
        QDir(FDir.path()).removeRecursively();
        QDir().mkpath(FDir.path());
    }

    void ResolverComponentIsOpenOnceTheWindowIsLoaded()
    {
        const TIdDNSResolver& resolver = *FWindow->IdDNSResolver1;
        QCOMPARE(resolver.Port, 53);
        QCOMPARE(resolver.ReceiveTimeout, 4000);
        QVERIFY(!resolver.IsLoading());
        QVERIFY(resolver.SocketHandle != nullptr && resolver.SocketHandle->Allocated);
        QCOMPARE(Find<TPageControl>("PageControl")->currentWidget(), Find<QWidget>("TabWhois"));
    }

    void FolderImagesFollowExpandingExceptForValues()
    {
        TTreeNodes& n = FWindow->TreeNodes();
        QTreeWidgetItem* label = n.AddChild(nullptr, "CPU", 0, 0, 0);
        QTreeWidgetItem* value = n.AddChild(label, "INTEL", 2, 2, 2);
        n.AddChild(value, "under a value", 2, 2, 2);
        QTreeWidgetItem* empty = n.AddChild(nullptr, "OS", 0, 0, 0);
        label->setExpanded(true);
        QCOMPARE(TTreeNodes::Image(label), 1);
        QCOMPARE(TTreeNodes::SelectedImage(label), 1);
        value->setExpanded(true);
        QCOMPARE(TTreeNodes::Image(value), 2);
        value->setExpanded(false);
        QCOMPARE(TTreeNodes::Image(value), 2);
        QCOMPARE(TTreeNodes::SelectedImage(value), 2);
        label->setExpanded(false);
        QCOMPARE(TTreeNodes::Image(label), 0);
        QCOMPARE(TTreeNodes::SelectedImage(label), 0);
        empty->setExpanded(true);  // nothing under it: nothing to open
        QCOMPARE(TTreeNodes::Image(empty), 0);
    }

    void LinksAndValuesAreBlueAndUnderlinedLabelsAreNot()
    {
        ShowDnsPage();
        const Nodes nodes = BuildBranch();
        Tree()->clearSelection();
        Tree()->setCurrentItem(nullptr);
        const QImage image = Tree()->viewport()->grab().toImage();
        for (QTreeWidgetItem* drawn : {nodes.Name, nodes.NoName}) {
            const QRect row = Tree()->visualItemRect(drawn);
            const BlueInk ink = BlueIn(image, row);
            const int textWidth = Tree()->fontMetrics().horizontalAdvance(drawn->text(0));
            QVERIFY2(ink.Pixels > 20, qPrintable(drawn->text(0)));
            // The underline: one row of blue nearly as wide as the text.
            QVERIFY2(ink.WidestRow > textWidth * 3 / 4, qPrintable(QString::number(ink.WidestRow)));
        }
        for (QTreeWidgetItem* plain : {nodes.Root, nodes.Official, nodes.Address})
            QCOMPARE(BlueIn(image, Tree()->visualItemRect(plain)).Pixels, 0);

        // A selected value keeps its blue text on the selection's background.
        Tree()->setFocus();
        for (QTreeWidgetItem* selected : {nodes.Name, nodes.NoName}) {
            Tree()->setCurrentItem(selected);
            QCoreApplication::processEvents();
            const QImage shot = Tree()->viewport()->grab().toImage();
            QVERIFY2(BlueIn(shot, Tree()->visualItemRect(selected)).Pixels > 20, qPrintable(selected->text(0)));
        }
    }

    void HandOverLinksOnlyAndTheLastPositionIsKept()
    {
        ShowDnsPage();
        const Nodes nodes = BuildBranch();
        const struct {
            QTreeWidgetItem* node;
            Qt::CursorShape shape;
        } cases[] = {
            {nodes.Name, Qt::PointingHandCursor}, {nodes.NoName, Qt::ArrowCursor},
            {nodes.Official, Qt::ArrowCursor},    {nodes.Long, Qt::PointingHandCursor},
        };
        for (const auto& c : cases) {
            const QPoint at = CentreOf(c.node);
            MoveOver(at);
            QCOMPARE(Tree()->viewport()->cursor().shape(), c.shape);
            QCOMPARE(FWindow->LastMouseX, at.x());
            QCOMPARE(FWindow->LastMouseY, at.y());
        }
        MoveOver(QPoint(5, Tree()->viewport()->height() - 3));  // below the last node
        QCOMPARE(Tree()->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void DoubleClickOpensLinksInTheBrowser()
    {
        ShowDnsPage();
        const Nodes nodes = BuildBranch();
        const struct {
            QTreeWidgetItem* node;
            QStringList opened;
        } cases[] = {
            {nodes.Name, {QStringLiteral("http://host.example.org")}},
            {nodes.NoName, {}},
            {nodes.Long, {}},  // would not fit the link's buffer
        };
        for (const auto& c : cases) {
            FDesktop->Opened.clear();
            const QPoint at = CentreOf(c.node);
            MoveOver(at);
            DoubleClick(at);
            QCOMPARE(QStringList(FDesktop->Opened.begin(), FDesktop->Opened.end()), c.opened);
        }
        // A label still opens and closes on a double-click.
        QVERIFY(nodes.Address->isExpanded());
        const QPoint at = CentreOf(nodes.Address);
        MoveOver(at);
        DoubleClick(at);
        QVERIFY(!nodes.Address->isExpanded());
        QVERIFY(FDesktop->Opened.empty());
    }

    void FailedDnsStepStillRestoresTheCursor()
    {
        FWindow.reset();
        FailingDnsWindow window(*FDesktop, DataDir());
        window.show();
        FindControl<QCheckBox>(window, "CheckWhois")->setChecked(false);
        FindControl<QLineEdit>(window, "LEditName")->setText(QStringLiteral("example.fr"));
        // The second lookup starts from what the first left behind.
        for (size_t run = 1; run <= 2; ++run) {
            QTest::mouseClick(FindControl<QToolButton>(window, "SpeedButton2"), Qt::LeftButton);
            QCOMPARE(FDesktop->Boxes.size(), run);
            QCOMPARE(FDesktop->Boxes.back().Text, QStringLiteral("Record step failed."));
            QCOMPARE(window.ScreenCursor(), TCursor::crDefault);
            QVERIFY(QApplication::overrideCursor() == nullptr);
        }
    }

    void CutOffNodesShowTheirWholeTextAsAHint()
    {
        ShowDnsPage();
        const Nodes nodes = BuildBranch();
        QTreeWidgetItem* cut = FWindow->TreeNodes().AddChild(
            nodes.Address, "mx1.serveur-de-messagerie-principal.hebergement-mutualise-des-domaines.example.org", 2, 2, 2);
        QCoreApplication::processEvents();
        const struct {
            QTreeWidgetItem* node;
            bool hint;
        } cases[] = {{nodes.Official, false}, {nodes.Long, true}, {nodes.NoName, false}, {cut, true}};
        for (const auto& c : cases) {
            const QPoint at = Tree()->visualItemRect(c.node).topLeft() + QPoint(40, 8);
            QHelpEvent hover(QEvent::ToolTip, at, Tree()->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(Tree()->viewport(), &hover);
            QTRY_COMPARE(QToolTip::isVisible(), c.hint);
            if (c.hint) QCOMPARE(QToolTip::text(), c.node->text(0));
        }
        KeepScreenshot(QStringLiteral("tree-hint.png"));  // the last hint, still up
    }

    void EnterInTheAddressFieldShowsTheLoopbackName()
    {
        ShowDnsPage();
        auto* field = Find<QLineEdit>("LabeledEditIP");
        auto* result = Find<QLineEdit>("EditURL");
        field->setText(QStringLiteral("127.0.0.1"));
        result->setText(QStringLiteral("before"));
        QTest::keyClick(field, Qt::Key_A);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(result->text(), QStringLiteral("before"));  // only Enter starts it

        FWindow->SetStage(3);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(result->text(), QStringLiteral("localhost"));
        QCOMPARE(Find<TStatusBar>("StatusBar")->StageText(), QString());
        QCOMPARE(Find<QProgressBar>("ProgressBar")->value(), 0);
        QCOMPARE(FWindow->ScreenCursor(), TCursor::crDefault);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        result->setText(QStringLiteral("again"));
        QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
        QCOMPARE(result->text(), QStringLiteral("localhost"));
    }

    void SavingWritesThePageAndTheTreeByteForByte()
    {
        FDesktop->Answer = FDir.filePath(QStringLiteral("results"));
        Find<QLineEdit>("LEditName")->setText(QStringLiteral(" Example.co.FR "));
        FWindow->SetMemoText("Domain: example.co.fr\r\nStatus: active\r\n");
        TTreeNodes& n = FWindow->TreeNodes();
        QTreeWidgetItem* root = n.AddChild(nullptr, "R\xE9ponse du DNS par d\xE9" "faut", 0, 0, 0);
        QTreeWidgetItem* first = n.AddChild(root, "first", 0, 0, 0);
        n.AddChild(first, "grandchild", 2, 2, 1);
        n.AddChild(root, "second", -1, -1, 0);
        n.AddChild(nullptr, "R\xE9ponse du DNS: 192.0.2.53", 0, 0, 0);

        QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "Enregistrersous1Click"));

        QCOMPARE(FDesktop->Asked, 1);
        QCOMPARE(FDesktop->Proposed, QStringLiteral(" Example_co_FR .txt"));
        QCOMPARE(FDesktop->Filter, QStringLiteral("Fichiers *.txt (*.txt);;Texte UTF-8 (*.txt) (*.txt)"));
        const std::string page = "Domain: example.co.fr\r\nStatus: active\r\n\r\n";
        QCOMPARE(ReadFileBytes(DataDir() + "results.txt"),
                 page + "R\xE9ponse du DNS par d\xE9" "faut\r\n\tfirst\r\n\t\tgrandchild\r\n\tsecond\r\n"
                        "R\xE9ponse du DNS: 192.0.2.53\r\n");
        // The UTF-8 entry: the same text, UTF-8 with LF.
        FDesktop->AnswerFilter = FDesktop->Filter.split(QStringLiteral(";;")).last();
        FDesktop->Answer = FDir.filePath(QStringLiteral("results-utf8"));
        QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "Enregistrersous1Click"));
        QCOMPARE(ReadFileBytes(DataDir() + "results-utf8.txt"),
                 std::string("Domain: example.co.fr\nStatus: active\n\nR\u00E9ponse du DNS par d\u00E9" "faut\n"
                             "\tfirst\n\t\tgrandchild\n\tsecond\nR\u00E9ponse du DNS: 192.0.2.53\n"));
        QCOMPARE(FWindow->MemoText(), page);
        QCOMPARE(Find<QPlainTextEdit>("MemoWhois")->toPlainText(),
                 QStringLiteral("Domain: example.co.fr\nStatus: active\n\n"));
    }

    void ChosenNamesAndCancel()
    {
        const struct {
            const char* answer;   // "" cancels
            const char* written;  // "" when nothing is
        } cases[] = {
            {"out.", "out.txt"},
            {"out.log", "out.log"},
            {"", ""},
        };
        FWindow->SetMemoText("abc");
        for (const auto& c : cases) {
            QDir(FDir.path()).removeRecursively();
            QDir().mkpath(FDir.path());
            FDesktop->Answer = *c.answer ? FDir.filePath(QString::fromLatin1(c.answer)) : QString();
            const std::string pageBefore = FWindow->MemoText();
            QVERIFY(QMetaObject::invokeMethod(FWindow.get(), "Enregistrersous1Click"));
            const QStringList files = QDir(FDir.path()).entryList(QDir::Files);
            if (*c.written) {
                QCOMPARE(files, QStringList{QString::fromLatin1(c.written)});
                QCOMPARE(ReadFileBytes(DataDir() + c.written), FWindow->MemoText());
            } else {
                QVERIFY(files.isEmpty());
                QCOMPARE(FWindow->MemoText(), pageBefore);
            }
        }
    }

    void AFileThatCannotBeCreatedReachesTheStandardErrorBox()
    {
        // Named with an accent, which the box shows as it is.
        const QString missing = FDir.filePath(QStringLiteral("Dossier absent é/out"));
        FDesktop->Answer = missing;
        FWindow->SetMemoText("abc");
        // Through the menu, as the user does it, so that the application's box shows it.
        QMenu* menu = Find<QMenu>("Fichier1");
        menu->popup(FWindow->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QAction* save = Find<QAction>("Enregistrersous1");
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(save).center());
        QTRY_COMPARE(FDesktop->Boxes.size(), size_t(1));
        QCOMPARE(FDesktop->Boxes[0].Text, "Cannot create file " + missing + ".txt.");
        QCOMPARE(FDesktop->Boxes[0].Icon, QMessageBox::Critical);
        QCOMPARE(FWindow->MemoText(), std::string("abc\r\n"));  // the page had changed already
    }
};

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    DnsPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dns_page.moc"
