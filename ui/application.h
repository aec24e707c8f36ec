#pragma once
#include <QApplication>

#include <exception>

class TDesktop;

// The application object: handlers may throw, and what they let escape is shown in the
// application's standard error box; the program goes on.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    TDesktop& Desktop() const { return *FDesktop; }
    void SetDesktop(TDesktop& desktop) { FDesktop = &desktop; }

private:
    TDesktop* FDesktop;
};

// The application's standard error box for a failure: its message with the "." rule, the
// application's title as caption, an error icon. A thrown object that is no
// std::exception shows an empty message.
void ShowException(TDesktop& desktop, std::exception_ptr failure);
