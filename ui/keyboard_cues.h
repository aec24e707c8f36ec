#pragma once
#include <QProxyStyle>

// The application's style with the menus' mnemonic letters underlined only while Alt is
// held, and in the menus opened meanwhile, as desktops that hide keyboard cues do. A mouse
// click hides them again.
class TKeyboardCuesStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Over a new instance of the style named (the one the user or the platform chose).
    explicit TKeyboardCuesStyle(const QString& baseStyle);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCues(bool shown);

    bool FShown = false;
};
