#include "ui/application.h"

#include "app/error_box.h"
#include "ui/ansi.h"
#include "ui/desktop.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv), FDesktop(&SystemDesktop()) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(*FDesktop, std::current_exception());
        return false;
    }
}

void ShowException(TDesktop& desktop, std::exception_ptr failure)
{
    std::string message;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
    }
    const QString executable = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    desktop.MessageBox(QApplication::activeWindow(), FromAnsi(ApplicationTitle(ToAnsi(executable))),
                       FromAnsi(StandardErrorText(message)), QMessageBox::Critical);
}
