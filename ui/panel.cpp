#include "ui/panel.h"

#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>
#include <array>

TPanel::TPanel(QWidget* parent) : QFrame(parent) { setFrameShape(QFrame::NoFrame); }

void TPanel::setBevel(const QString& bevel)
{
    FBevel = bevel;
    if (bevel == u"lowered") {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setLineWidth(1);
    } else {
        setFrameShape(QFrame::NoFrame);
    }
}

void TPanel::Realign()
{
    QRect rest = contentsRect();
    const std::array<QString, 5> order = {QStringLiteral("top"), QStringLiteral("bottom"), QStringLiteral("left"),
                                          QStringLiteral("right"), QStringLiteral("client")};
    for (const QString& side : order) {
        for (QObject* object : children()) {
            QWidget* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow() || child->property("align").toString() != side) continue;
            QRect place;
            if (side == u"top") {
                place = QRect(rest.left(), rest.top(), rest.width(), child->height());
                rest.setTop(rest.top() + child->height());
            } else if (side == u"bottom") {
                place = QRect(rest.left(), rest.bottom() + 1 - child->height(), rest.width(), child->height());
                rest.setBottom(rest.bottom() - child->height());
            } else if (side == u"left") {
                place = QRect(rest.left(), rest.top(), child->width(), rest.height());
                rest.setLeft(rest.left() + child->width());
            } else if (side == u"right") {
                place = QRect(rest.right() + 1 - child->width(), rest.top(), child->width(), rest.height());
                rest.setRight(rest.right() - child->width());
            } else {
                place = rest;
            }
            child->setGeometry(place);
        }
    }
    for (QObject* object : children()) {
        QWidget* child = qobject_cast<QWidget*>(object);
        const QVariant margin = child && !child->isWindow() ? child->property("bottomMargin") : QVariant();
        if (!margin.isValid()) continue;
        const int bottom = contentsRect().bottom() - margin.toInt();
        child->setGeometry(child->x(), child->y(), child->width(), std::max(0, bottom + 1 - child->y()));
    }
}

void TPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    Realign();
}

void TPanel::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    Realign();
}
