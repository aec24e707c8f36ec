#pragma once
#include <QString>
#include <QWidget>

class QProgressBar;

// The window's status bar: a first panel, left blank, that the progress bar lies over,
// and a second panel reaching to the right edge that holds the stage text.
class TStatusBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int FirstPanelWidth = 220;
    static constexpr int PanelGap = 2;

    explicit TStatusBar(QWidget* parent = nullptr);

    QString StageText() const { return FStageText; }
    void SetStageText(const QString& text);
    int Progress() const;
    void SetProgress(int position);
    // Paints at once: the caller is about to block the thread.
    void RepaintNow();

    QRect FirstPanel() const;
    QRect SecondPanel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The progress bar is a child given by the form.
    QProgressBar* Bar() const;

    QString FStageText;
};
