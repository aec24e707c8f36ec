#include "ui/page_control.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

TOwnerDrawTabBar::TOwnerDrawTabBar(TPageControl* owner) : QTabBar(owner), FOwner(owner)
{
    setExpanding(false);
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(false);
    setDrawBase(true);
}

QSize TPageControl::PageOverhead() const
{
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return option.rect.size() - style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).size();
}

QSize TOwnerDrawTabBar::tabSizeHint(int index) const
{
    return QSize(TabWidth, QTabBar::tabSizeHint(index).height());
}

QSize TOwnerDrawTabBar::minimumTabSizeHint(int index) const { return tabSizeHint(index); }

QRect TOwnerDrawTabBar::TabInside(int index) const { return tabRect(index).adjusted(2, 2, -2, -1); }

void TOwnerDrawTabBar::paintEvent(QPaintEvent* event)
{
    if (!FOwner->OnDrawTab) {
        QTabBar::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
    }
    // The owner works in the page control's coordinates.
    const QPoint offset = mapTo(FOwner, QPoint(0, 0));
    for (int i = 0; i < count(); ++i) {
        painter.save();
        painter.translate(-offset);
        FOwner->OnDrawTab(painter, i, TabInside(i).translated(offset), i == currentIndex());
        painter.restore();
    }
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) { setTabBar(new TOwnerDrawTabBar(this)); }

int TPageControl::tabWidth() const { return static_cast<const TOwnerDrawTabBar*>(tabBar())->TabWidth; }

void TPageControl::setTabWidth(int width)
{
    static_cast<TOwnerDrawTabBar*>(tabBar())->TabWidth = width;
    tabBar()->updateGeometry();
    tabBar()->update();
}
