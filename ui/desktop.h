#pragma once
#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// What the windows ask of the desktop: message boxes, the shell's "open", modal dialogs
// and the save-file dialog. Tests put their own in its place.
class TDesktop {
public:
    virtual ~TDesktop() = default;

    // A modal box with one OK button; returns when the user closes it.
    virtual void MessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon);
    // Opens a document path or an address with the program the desktop has for it, through
    // Opener. When that fails (no program for it, no opener), `failed` runs later, unless
    // the owner is gone by then.
    virtual void ShellOpen(QWidget* owner, const QString& target, std::function<void()> failed = {});
    // Shows the dialog modally and returns its result.
    virtual int RunModal(QDialog& dialog);
    // Asks for the name of a file to write, proposing `proposed`; the user is asked before
    // an existing file is replaced. "" when the user cancels. `chosenFilter`, when given,
    // receives the filter entry the user left selected. The desktop's own dialog where the
    // platform has one.
    virtual QString SaveFileName(QWidget* owner, const QString& proposed, const QString& filter,
                                 QString* chosenFilter = nullptr);

    // The desktop's "open" command, given one path or address.
    QString Opener = QStringLiteral("xdg-open");
};

// Opens target through the shell; when that fails, says so in a box ("Norvane", a warning)
// whose text is `explanation` followed by the target, so the user can open it another way.
void OpenOrExplain(TDesktop& desktop, QWidget* owner, const QString& target, const QString& explanation);

// The real desktop, for the program.
TDesktop& SystemDesktop();
