// The DNS page of the main window: the two branches of the results tree, the tree's
// handlers and the IP resolver panel. The rules live in dns/; these are the adapters.
#include "ui/main_window.h"

#include "dns/dns_records.h"
#include "dns/host_info.h"
#include "dns/ip_resolver.h"
#include "net/dns/id_dns_resolver.h"
#include "net/socket/id_exceptions.h"
#include "ui/ansi.h"
#include "ui/desktop.h"
#include "ui_main_window.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace {

// The results tree as the DNS steps see it: their nodes are the tree's items.
class TTreeAdapter : public IResultsTree {
public:
    explicit TTreeAdapter(TTreeNodes& nodes) : FNodes(nodes) {}

    static QTreeWidgetItem* Item(TTreeNode* node) { return reinterpret_cast<QTreeWidgetItem*>(node); }
    static TTreeNode* Node(QTreeWidgetItem* item) { return reinterpret_cast<TTreeNode*>(item); }

    TTreeNode* AddChild(TTreeNode* parent, const std::string& text, int image, int selectedImage,
                        uint32_t data) override
    {
        return Node(FNodes.AddChild(Item(parent), text, image, selectedImage, data));
    }
    void Expand(TTreeNode* node) override { Item(node)->setExpanded(true); }

private:
    TTreeNodes& FNodes;
};

// TreeDNSAdvancedCustomDrawItem: links and values in blue, underlined and nothing else;
// labels keep the tree's own font.
class TTreeDNSDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!DrawnAsLink(index.data(TTreeNodes::DataRole).value<quint32>())) return;
        option->font.setBold(false);
        option->font.setItalic(false);
        option->font.setStrikeOut(false);
        option->font.setUnderline(true);
        // Blue when selected too: the handler's colour wins over the selection's.
        option->palette.setColor(QPalette::Text, QColor(0, 0, 255));
        option->palette.setColor(QPalette::HighlightedText, QColor(0, 0, 255));
    }

    // Hints: a node whose text the tree's width cuts off shows it whole under the mouse.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const int visibleRight = std::min(option.rect.right(), view->viewport()->rect().right());
        if (option.rect.left() + sizeHint(option, index).width() - 1 > visibleRight)
            QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view->viewport(),
                               option.rect);
        else
            QToolTip::hideText();
        return true;
    }
};

// Hands the events of one object to a function; the function says whether it ate them.
class TEventHook : public QObject {
public:
    TEventHook(QObject* owner, std::function<bool(QEvent*)> hook) : QObject(owner), FHook(std::move(hook)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override { return FHook(event); }

private:
    std::function<bool(QEvent*)> FHook;
};

}  // namespace

void TFMain::CreateDnsResolver()
{
    IdDNSResolver1 = std::make_unique<TIdDNSResolver>();
    IdDNSResolver1->BeginLoading();
    IdDNSResolver1->SetActive(true);
    IdDNSResolver1->Port = 53;
    IdDNSResolver1->ReceiveTimeout = 4000;
    IdDNSResolver1->Loaded();
}

void TFMain::WireDnsPage()
{
    QTreeWidget* tree = ui->TreeDNS;
    tree->setItemDelegate(new TTreeDNSDelegate(tree));
    tree->setMouseTracking(true);
    connect(tree, &QTreeWidget::itemExpanded, this, &TFMain::TreeDNSExpanded);
    connect(tree, &QTreeWidget::itemCollapsed, this, &TFMain::TreeDNSCollapsed);
    // The tree still expands or collapses on a double-click: the event goes on.
    tree->viewport()->installEventFilter(new TEventHook(tree, [this](QEvent* event) {
        if (event->type() == QEvent::MouseMove) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            TreeDNSMouseMove(at.x(), at.y());
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            TreeDNSDblClick();
        }
        return false;
    }));
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFMain::SpeedButton1Click);
    connect(ui->LabeledEditIP, &TLabeledEdit::KeyUp, this, &TFMain::LabeledEditIPKeyUp);
    WireRegistration();
}

void TFMain::ShowHostInfo(const std::string& name)
{
    TTreeAdapter tree(*FTreeNodes);
    TSystemHostResolver resolver;
    TTreeNode* root = nullptr;
    ::ShowHostInfo(resolver, tree, name, root);
    HostRootNode = TTreeAdapter::Item(root);
}

void TFMain::ShowDnsRecords(const std::string& name)
{
    TTreeAdapter tree(*FTreeNodes);
    TResolverQuery query(*IdDNSResolver1);
    ::ShowDnsRecords(query, tree, DefaultDnsServer, name, AppDir);
}

void TFMain::TreeDNSExpanded(QTreeWidgetItem* node)
{
    // A node without children has nothing to open; the toolkit reports it expanded all the same.
    if (node->childCount() == 0) return;
    const int image = ImageAfterExpanding(TTreeNodes::Image(node));
    FTreeNodes->SetImages(node, image, image);
}

void TFMain::TreeDNSCollapsed(QTreeWidgetItem* node)
{
    const int image = ImageAfterCollapsing(TTreeNodes::Image(node));
    FTreeNodes->SetImages(node, image, image);
}

void TFMain::TreeDNSMouseMove(int x, int y)
{
    LastMouseX = x;
    LastMouseY = y;
    const QTreeWidgetItem* node = ui->TreeDNS->itemAt(x, y);
    const bool link = node != nullptr && OpensInBrowser(TTreeNodes::Data(node));
    ui->TreeDNS->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TFMain::TreeDNSDblClick()
{
    const QTreeWidgetItem* node = ui->TreeDNS->itemAt(LastMouseX, LastMouseY);
    if (node == nullptr || !OpensInBrowser(TTreeNodes::Data(node))) return;
    const std::string address = LinkAddress(TTreeNodes::Text(node));
    if (!address.empty()) FDesktop.ShellOpen(this, FromAnsi(address));
}

void TFMain::SpeedButton1Click()
{
    RunWhileBusy([this] {
        SetStage(0);
        THourGlass hourglass(LookupWindow());
        TSystemHostResolver resolver;
        const QString shown = ui->EditURL->text();
        const QString address = ui->LabeledEditIP->text();
        std::string result;
        bool stopped = false;
        try {
            result = ResolveIpField(resolver, ToAnsi(address), ToAnsi(shown));
        } catch (const EIdStopped&) {
            result = LookupStopped;  // the field is where this step writes
            stopped = true;
        }
        if (FromAnsi(result) != shown) ui->EditURL->setText(FromAnsi(result));
        if (stopped) return;  // a stopped resolver asks no registry either
        // The host name is shown before the registry is asked.
        ui->EditURL->repaint();
        ShowAddressRegistration(address);
    });
}

void TFMain::LabeledEditIPKeyUp(int key, Qt::KeyboardModifiers)
{
    if (IsEnterKey(key)) SpeedButton1Click();
}
