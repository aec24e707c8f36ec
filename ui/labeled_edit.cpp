#include "ui/labeled_edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

TLabeledEdit::TLabeledEdit(QWidget* parent) : QLineEdit(parent), FLabel(new QLabel(parent))
{
    FLabel->setObjectName(QStringLiteral("EditLabel"));
    FLabel->setBuddy(this);
    PlaceLabel();
}

TLabeledEdit::~TLabeledEdit()
{
    // The label belongs to the parent; it goes with the field all the same.
    delete FLabel;
}

QString TLabeledEdit::LabelCaption() const { return FLabel ? FLabel->text() : QString(); }

void TLabeledEdit::setLabelCaption(const QString& caption)
{
    if (!FLabel) return;
    FLabel->setText(caption);
    FLabel->setObjectName(objectName() + QStringLiteral("Label"));
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel()
{
    if (!FLabel) return;
    FLabel->setFont(font());
    QPalette palette = FLabel->palette();
    palette.setColor(QPalette::WindowText, this->palette().color(QPalette::Text));
    FLabel->setPalette(palette);
    const QSize size = FLabel->sizeHint();
    FLabel->setGeometry(x(), y() - LabelSpacing - size.height(), size.width(), size.height());
}

void TLabeledEdit::keyPressEvent(QKeyEvent* event)
{
    FPressed.insert(event->key());
    QLineEdit::keyPressEvent(event);
}

void TLabeledEdit::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat() || !FPressed.remove(event->key())) return;
    emit KeyUp(event->key(), event->modifiers());
}

void TLabeledEdit::focusOutEvent(QFocusEvent* event)
{
    FPressed.clear();
    QLineEdit::focusOutEvent(event);
}

void TLabeledEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit DblClick();
}

void TLabeledEdit::moveEvent(QMoveEvent* event)
{
    QLineEdit::moveEvent(event);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceLabel();
}

void TLabeledEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::ParentChange:
        if (!FLabel) break;
        FLabel->setParent(parentWidget());
        FLabel->setVisible(parentWidget() && isVisibleTo(parentWidget()));
        PlaceLabel();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        PlaceLabel();
        break;
    default:
        break;
    }
}

void TLabeledEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    if (FLabel && FLabel->parentWidget()) FLabel->show();
}

void TLabeledEdit::hideEvent(QHideEvent* event)
{
    QLineEdit::hideEvent(event);
    if (FLabel && parentWidget() && !isVisibleTo(parentWidget())) FLabel->hide();
}
