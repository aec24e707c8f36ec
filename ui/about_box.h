#pragma once
#include <QDialog>

#include <memory>

class TDesktop;
namespace Ui {
class TFAbout;
}

// The About box: the product's picture, its version, the maker's site and address.
class TFAbout : public QDialog {
    Q_OBJECT

public:
    // The address the contact link writes to, whatever its label shows.
    static constexpr const char* ContactAddress = "contact@norvane.example";

    TFAbout(TDesktop& desktop, QWidget* owner);
    ~TFAbout() override;

private slots:
    void Label2Click();
    void Label3Click();

private:
    std::unique_ptr<Ui::TFAbout> ui;
    TDesktop& FDesktop;
};
