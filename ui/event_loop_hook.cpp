#include "ui/event_loop_hook.h"

#include <QCoreApplication>

void TEventLoopHook::Process() { QCoreApplication::processEvents(QEventLoop::AllEvents); }
