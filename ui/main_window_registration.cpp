// The registration of the address the IP resolver panel just resolved, in the box below
// it, and the DNS page's context menu that sends an address of the tree there. The rules
// live in app/address_registration and rdap/; this is the adapter.
#include "ui/main_window.h"

#include "app/address_registration.h"
#include "app/lookup_driver.h"
#include "net/socket/id_exceptions.h"
#include "rdap/number_lookup.h"
#include "rdap/number_query.h"
#include "ui_main_window.h"

#include <QMenu>
#include <QTreeWidget>

void TFMain::WireRegistration()
{
    ui->TreeDNS->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->TreeDNS, &QWidget::customContextMenuRequested, this, &TFMain::TreeDNSContextMenu);
}

void TFMain::ShowAddressRegistration(const QString& address)
{
    std::string text;
    try {
        text = AddressRegistrationText(*RdapNumberServers, address.toStdString(),
                                       [](const std::string& url) { return RdapGet(url); });
    } catch (const EIdStopped&) {
        text = LookupStopped;  // the box is where this step writes
    }
    ui->MemoRegistration->setPlainText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TFMain::TreeDNSContextMenu(const QPoint& at)
{
    // During a lookup the menu's one command could start nothing, and its loop would hold
    // the lookup up.
    if (FBusy) return;
    const QTreeWidgetItem* node = ui->TreeDNS->itemAt(at);
    if (node == nullptr || !ParseAddressQuery(node->text(0).toStdString())) return;
    const QString address = node->text(0).trimmed();
    QMenu menu(ui->TreeDNS);
    menu.setObjectName(QStringLiteral("MenuAddress"));
    connect(menu.addAction(QStringLiteral("Qui d\u00E9tient cette adresse ?")), &QAction::triggered, this, [this, address] {
        ui->LabeledEditIP->setText(address);
        SpeedButton1Click();
    });
    menu.exec(ui->TreeDNS->viewport()->mapToGlobal(at));
}
