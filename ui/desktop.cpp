#include "ui/desktop.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QUrl>

void TDesktop::MessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void TDesktop::ShellOpen(QWidget*, const QString& target)
{
    // An address keeps its scheme (http:, mailto:); anything else is a file path.
    QUrl url(target, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2) url = QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
}

int TDesktop::RunModal(QDialog& dialog) { return dialog.exec(); }

QString TDesktop::SaveFileName(QWidget* owner, const QString& proposed, const QString& filter)
{
    // The filter's description is shown as written, without the toolkit's added pattern.
    return QFileDialog::getSaveFileName(owner, QString(), proposed, filter, nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

TDesktop& SystemDesktop()
{
    static TDesktop desktop;
    return desktop;
}
