#include "ui/application.h"

#include "app/error_box.h"
#include "ui/ansi.h"
#include "ui/desktop.h"
#include "ui/images.h"
#include "ui/keyboard_cues.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QStyle>
#include <QTranslator>
#include <norvane_config.h>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv), FDesktop(&SystemDesktop())
{
    // The application is French whatever the locale, the toolkit's own dialogs included.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    // Links the windows to the installed desktop entry, for the dock's icon and name.
    setDesktopFileName(QStringLiteral(NORVANE_APP_ID));
    setWindowIcon(ApplicationIcon());
    auto* style = new TKeyboardCuesStyle(QApplication::style()->name());
    setStyle(style);
    installEventFilter(style);
}

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
