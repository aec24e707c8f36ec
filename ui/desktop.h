#pragma once
#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

// What the windows ask of the desktop: message boxes, the shell's "open", modal dialogs
// and the save-file dialog. Tests put their own in its place.
class TDesktop {
public:
    virtual ~TDesktop() = default;

    // A modal box with one OK button; returns when the user closes it.
    virtual void MessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon);
    // Opens a document path or an address with the program the desktop has for it. What
    // comes of it is not reported.
    virtual void ShellOpen(QWidget* owner, const QString& target);
    // Shows the dialog modally and returns its result.
    virtual int RunModal(QDialog& dialog);
    // Asks for the name of a file to write, proposing `proposed`; the user is asked before
    // an existing file is replaced. "" when the user cancels.
    virtual QString SaveFileName(QWidget* owner, const QString& proposed, const QString& filter);
};

// The real desktop, for the program.
TDesktop& SystemDesktop();
