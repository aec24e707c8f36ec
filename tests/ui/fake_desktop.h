#pragma once
// A desktop that shows nothing: it writes down the boxes, the shell requests and the
// modal dialogs the windows ask for, and lets a test act inside a modal dialog.
#include "ui/desktop.h"

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <QtGlobal>

#include <functional>
#include <vector>

struct FakeDesktop : TDesktop {
    struct Box {
        QWidget* Owner;
        QString Caption;
        QString Text;
        QMessageBox::Icon Icon;
    };
    std::vector<Box> Boxes;
    std::vector<QString> Opened;
    std::function<int(QDialog&)> InModal = [](QDialog&) { return int(QDialog::Rejected); };
    int ModalCount = 0;

    void MessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon) override
    {
        Boxes.push_back({owner, caption, text, icon});
    }
    // A stand-in for an opener that finds no program for anything.
    bool OpenFails = false;
    void ShellOpen(QWidget*, const QString& target, std::function<void()> failed) override
    {
        Opened.push_back(target);
        if (OpenFails && failed) failed();
    }
    int RunModal(QDialog& dialog) override
    {
        ++ModalCount;
        return InModal(dialog);
    }
    // What the save dialog answers: a file name and the filter entry left selected.
    QString Answer, AnswerFilter, Proposed, Filter;
    int Asked = 0;
    QString SaveFileName(QWidget*, const QString& proposed, const QString& filter, QString* chosen) override
    {
        ++Asked;
        Proposed = proposed;
        Filter = filter;
        if (chosen) *chosen = AnswerFilter;
        return Answer;
    }
};

// The control of that name under `root`; a test cannot go on without it.
template <typename T> T* FindControl(const QObject& root, const char* name)
{
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
}
