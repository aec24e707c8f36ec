#pragma once
#include <QLineEdit>
#include <QPointer>
#include <QSet>
#include <QLabel>

// An edit field with its caption above it, 3 pixels away, aligned on its left edge. The
// caption is a label beside the field in the same parent, and follows the field.
class TLabeledEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString labelCaption READ LabelCaption WRITE setLabelCaption)

public:
    static constexpr int LabelSpacing = 3;

    explicit TLabeledEdit(QWidget* parent = nullptr);
    ~TLabeledEdit() override;

    QLabel* EditLabel() const { return FLabel; }
    QString LabelCaption() const;
    void setLabelCaption(const QString& caption);

signals:
    // A key released (auto-repeat left out), with the modifiers held. Only keys pressed
    // in this field count: the release of the Enter that closed a message box lands here
    // too, and must not start over what brought the box up.
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PlaceLabel();

    QPointer<QLabel> FLabel;
    QSet<int> FPressed;
};
