#pragma once
#include <QFrame>
#include <QString>

// A container that places its children the way the forms describe them: a child whose
// dynamic property "align" is "top", "bottom", "left", "right" or "client" is docked to
// that side of what is left (tops first, then bottoms, lefts, rights, and the client last,
// filling the rest); any other child keeps its own position and size, but for its height
// when it has the dynamic property "bottomMargin": it then reaches down to that many
// pixels above the panel's bottom.
class TPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString bevel READ bevel WRITE setBevel)

public:
    explicit TPanel(QWidget* parent = nullptr);

    // "none" (no frame) or "lowered" (a one-pixel sunken frame). Named the toolkit's way so
    // that forms can set it.
    QString bevel() const { return FBevel; }
    void setBevel(const QString& bevel);

    // Places the docked children again.
    void Realign();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString FBevel = QStringLiteral("none");
};
