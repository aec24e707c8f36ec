#pragma once
#include <QRect>
#include <QTabBar>
#include <QTabWidget>

#include <functional>

class QPainter;

// Pages with tabs of a fixed width whose insides the owner draws.
class TPageControl : public QTabWidget {
    Q_OBJECT
    Q_PROPERTY(int tabWidth READ tabWidth WRITE setTabWidth)

public:
    // Draws the inside of one tab. The canvas works in the page control's own
    // coordinates; rect is the tab's inside in those coordinates.
    using TDrawTab = std::function<void(QPainter& canvas, int tabIndex, const QRect& rect, bool active)>;

    explicit TPageControl(QWidget* parent = nullptr);

    int tabWidth() const;
    void setTabWidth(int width);

    TDrawTab OnDrawTab;

    // What the tabs and the frame take of the control's size, beside the page itself.
    QSize PageOverhead() const;
};

// The tab row of TPageControl: the toolkit draws the tab shapes, the owner their insides.
class TOwnerDrawTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TOwnerDrawTabBar(TPageControl* owner);

    int TabWidth = 60;

    // The inside of a tab, where the owner draws, in the tab bar's coordinates.
    QRect TabInside(int index) const;

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    TPageControl* FOwner;
};
