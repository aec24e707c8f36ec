#include "ui/status_bar.h"

#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOption>

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

QProgressBar* TStatusBar::Bar() const { return findChild<QProgressBar*>(QString(), Qt::FindDirectChildrenOnly); }

void TStatusBar::SetStageText(const QString& text)
{
    FStageText = text;
    update(SecondPanel());
}

int TStatusBar::Progress() const
{
    const QProgressBar* bar = Bar();
    return bar ? bar->value() : 0;
}

void TStatusBar::SetProgress(int position)
{
    if (QProgressBar* bar = Bar()) bar->setValue(position);
}

void TStatusBar::RepaintNow() { repaint(); }

QRect TStatusBar::FirstPanel() const { return QRect(0, 0, FirstPanelWidth, height()); }

QRect TStatusBar::SecondPanel() const
{
    const int left = FirstPanelWidth + PanelGap;
    return QRect(left, 0, qMax(0, width() - left), height());
}

void TStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    // Both panels sit in a one-pixel sunken frame; the first is otherwise left blank.
    const QColor shadow = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    for (const QRect& panel : {FirstPanel(), SecondPanel()}) {
        const QRect frame = panel.adjusted(0, 2, -1, -1);
        painter.setPen(shadow);
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(light);
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(SecondPanel().adjusted(3, 2, -3, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     FStageText);
}
