#include "ui/keyboard_cues.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyleFactory>
#include <QWidget>

TKeyboardCuesStyle::TKeyboardCuesStyle(const QString& baseStyle) : QProxyStyle(QStyleFactory::create(baseStyle)) {}

int TKeyboardCuesStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                  QStyleHintReturn* returnData) const
{
    if (hint == SH_UnderlineShortcut) return FShown ? 1 : 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

bool TKeyboardCuesStyle::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt)
            // Released with a menu open, the cues stay for that menu's letters.
            ShowCues(type == QEvent::KeyPress || QApplication::activePopupWidget() != nullptr);
    } else if (type == QEvent::MouseButtonPress) {
        ShowCues(false);
    }
    return QProxyStyle::eventFilter(watched, event);
}

void TKeyboardCuesStyle::ShowCues(bool shown)
{
    if (shown == FShown) return;
    FShown = shown;
    for (QWidget* widget : QApplication::allWidgets()) widget->update();
}
