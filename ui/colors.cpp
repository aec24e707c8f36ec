#include "ui/colors.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

QColor NamedColor(const QString& name)
{
    if (name == u"clMoneyGreen") return Colors::MoneyGreen;
    if (name == u"clCream") return Colors::Cream;
    if (name == u"clTeal") return Colors::Teal;
    if (name == u"clWhite") return Colors::White;
    if (name == u"clBlack") return Colors::Black;
    if (name == u"clBlue") return Colors::Blue;
    if (name == u"clBtnFace") return QApplication::palette().color(QPalette::Window);
    return {};
}

namespace {

// Edit fields, memos and trees paint their inside with the Base role, everything else
// with Window.
bool PaintsWithBase(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractScrollArea*>(widget);
}

void ApplyOne(QWidget* widget)
{
    const QString background = widget->property("color").toString();
    const QString text = widget->property("fontColor").toString();
    if (background.isEmpty() && text.isEmpty()) return;
    QPalette palette = widget->palette();
    if (!background.isEmpty()) {
        const QColor color = background == u"parent" && widget->parentWidget()
                                 ? BackgroundColor(widget->parentWidget())
                                 : NamedColor(background);
        if (PaintsWithBase(widget)) {
            palette.setColor(QPalette::Base, color);
        } else {
            palette.setColor(QPalette::Window, color);
            widget->setAutoFillBackground(true);
        }
    }
    if (!text.isEmpty()) {
        const QColor color = NamedColor(text);
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::ButtonText, color);
    }
    widget->setPalette(palette);
}

}  // namespace

QColor BackgroundColor(const QWidget* widget)
{
    return widget->palette().color(PaintsWithBase(widget) ? QPalette::Base : QPalette::Window);
}

void ApplyFormColors(QWidget* form)
{
    // Parents first, so that "parent" finds the colour its parent was just given.
    ApplyOne(form);
    for (QWidget* child : form->findChildren<QWidget*>()) ApplyOne(child);
}

void SubstituteFormFont()
{
    static const bool done = [] {
        const QString form = QStringLiteral("MS Sans Serif");
        if (QFontDatabase::hasFamily(form)) return true;
        for (const QString& face : {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")})
            if (QFontDatabase::hasFamily(face)) {
                QFont::insertSubstitution(form, face);
                break;
            }
        return true;
    }();
    (void)done;
}
