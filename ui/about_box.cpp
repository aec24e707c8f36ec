#include "ui/about_box.h"

#include "ui/colors.h"
#include "ui/desktop.h"
#include "ui/images.h"
#include "ui_about_box.h"

#include <QGuiApplication>
#include <QScreen>

TFAbout::TFAbout(TDesktop& desktop, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TFAbout>()),
      FDesktop(desktop)
{
    SubstituteFormFont();
    ui->setupUi(this);
    setFixedSize(392, 241);
    // Centred on the desktop rather than over the owner.
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
    ApplyFormColors(this);
    ui->Image1->setPixmap(RenderSvg(Images::About, QSize(392, 200)));
    connect(ui->Label2, &TLinkLabel::Click, this, &TFAbout::Label2Click);
    connect(ui->Label3, &TLinkLabel::Click, this, &TFAbout::Label3Click);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TFAbout::~TFAbout() = default;

namespace {

const QString NotOpened = QStringLiteral("L'adresse n'a pas pu être ouverte\u00A0: aucun programme de "
                                         "l'ordinateur ne s'en est chargé.\nVous pouvez la recopier\u00A0:");

}  // namespace

void TFAbout::Label2Click() { OpenOrExplain(FDesktop, this, ui->Label2->text(), NotOpened); }

void TFAbout::Label3Click()
{
    OpenOrExplain(FDesktop, this, QStringLiteral("mailto:") + QLatin1String(ContactAddress), NotOpened);
}
