#include "ui/desktop.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QUrl>

namespace {

// The toolkit's own file list writes sizes and dates in the system's language ("0 bytes",
// "9 Dec"): this one writes them in the application's, as the rest of the dialog is.
class FileDetailsInAppLanguage : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        enum { Size = 1, Modified = 3 };
        if (index.column() == Size && !files->isDir(source)) return QLocale().formattedDataSize(files->size(source));
        if (index.column() == Modified) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

}  // namespace

void TDesktop::MessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void TDesktop::ShellOpen(QWidget* owner, const QString& target, std::function<void()> failed)
{
    // An address keeps its scheme (http:, mailto:); anything else is a file path.
    QUrl url(target, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2) url = QUrl::fromLocalFile(target);
    // The opener's status is the only word on whether a program took the document: the
    // toolkit's own call reports success as soon as the opener starts. Not waited for: the
    // opener may live as long as the program it starts.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    const QPointer<QWidget> window(owner);
    const auto done = [opener, window, hadOwner = owner != nullptr, failed](bool ok) {
        if (!ok && failed && (!hadOwner || window)) failed();
        opener->deleteLater();
    };
    QObject::connect(opener, &QProcess::finished, opener, [done](int code, QProcess::ExitStatus status) {
        done(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) done(false);
    });
    opener->start(Opener, {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
}

int TDesktop::RunModal(QDialog& dialog) { return dialog.exec(); }

QString TDesktop::SaveFileName(QWidget* owner, const QString& proposed, const QString& filter, QString* chosenFilter)
{
    QFileDialog dialog(owner, QString(), proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The filter's description is shown as written, without the toolkit's added pattern.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (chosenFilter && !chosenFilter->isEmpty()) dialog.selectNameFilter(*chosenFilter);
    // Only the toolkit's own dialog shows this list; a native one keeps its own.
    dialog.setProxyModel(new FileDetailsInAppLanguage(&dialog));
    if (dialog.exec() != QDialog::Accepted) return QString();
    if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}

void OpenOrExplain(TDesktop& desktop, QWidget* owner, const QString& target, const QString& explanation)
{
    desktop.ShellOpen(owner, target, [&desktop, owner, target, explanation] {
        desktop.MessageBox(owner, QStringLiteral("Norvane"), explanation + QStringLiteral("\n\n") + target,
                           QMessageBox::Warning);
    });
}

TDesktop& SystemDesktop()
{
    static TDesktop desktop;
    return desktop;
}
