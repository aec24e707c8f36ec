// The main window while a lookup runs: no second command starts, Échap and closing the
// window stop the work (the network layer's idle-time hook lets these events in).
#include "ui/main_window.h"

#include "net/socket/id_anti_freeze.h"
#include "ui_main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <vector>

namespace {

// Disables the actions while it lives, then gives each its state back.
class TDisabledActions {
public:
    explicit TDisabledActions(std::vector<QAction*> actions)
    {
        for (QAction* action : actions) {
            FSaved.push_back({action, action->isEnabled()});
            action->setEnabled(false);
        }
    }
    ~TDisabledActions()
    {
        for (const auto& [action, enabled] : FSaved) action->setEnabled(enabled);
    }
    TDisabledActions(const TDisabledActions&) = delete;
    TDisabledActions& operator=(const TDisabledActions&) = delete;

private:
    std::vector<std::pair<QAction*, bool>> FSaved;
};

}  // namespace

void TFMain::WireStopKey()
{
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, &TFMain::StopWork);
}

void TFMain::RunWhileBusy(const std::function<void()>& work)
{
    if (FBusy) return;
    // The update, saving (Ctrl+S with it) and the settings of a lookup wait for its end.
    std::vector<QAction*> blocked{ui->Gestion1, ui->Enregistrersous1};
    for (const QMenu* menu : ui->MainMenu->findChildren<QMenu*>())
        for (QAction* action : menu->actions())
            if (action->isCheckable()) blocked.push_back(action);
    // However the work ends: the window is free again, and a close asked meanwhile is done
    // from the event loop, once this handler has returned.
    struct TBusyScope {
        TFMain& Window;
        ~TBusyScope()
        {
            Window.FBusy = false;
            if (Window.FCloseAsked) QMetaObject::invokeMethod(&Window, &QWidget::close, Qt::QueuedConnection);
        }
    };
    FBusy = true;
    const TBusyScope busy{*this};
    const TDisabledActions disabled(blocked);
    if (TIdAntiFreezeBase* hook = TIdAntiFreezeBase::Instance()) hook->Reset();
    work();
}

void TFMain::StopWork()
{
    if (TIdAntiFreezeBase* hook = TIdAntiFreezeBase::Instance(); hook != nullptr && FBusy) hook->Stop();
}

void TFMain::closeEvent(QCloseEvent* event)
{
    if (!FBusy) {
        QMainWindow::closeEvent(event);
        return;
    }
    // The handler below is still running: the window closes once the stopped work is gone.
    FCloseAsked = true;
    StopWork();
    event->ignore();
}
