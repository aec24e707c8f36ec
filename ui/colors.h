#pragma once
#include <QColor>
#include <QString>

class QWidget;

// The named colours of the forms (red, green, blue).
namespace Colors {
inline const QColor MoneyGreen(192, 220, 192);
inline const QColor Cream(255, 251, 240);
inline const QColor Teal(0, 128, 128);
inline const QColor White(255, 255, 255);
inline const QColor Black(0, 0, 0);
inline const QColor Blue(0, 0, 255);
}  // namespace Colors

// The colour of a name used in the forms: "clMoneyGreen", "clCream", "clTeal", "clWhite",
// "clBlack", "clBlue", and "clBtnFace" for the system's face colour of panels and pages. An unknown
// name gives an invalid colour.
QColor NamedColor(const QString& name);

// Gives every widget of the form the colours its form description asks for through the
// dynamic properties "color" (background; "parent" takes the parent's) and "fontColor"
// (text). Widgets without them keep the toolkit's colours.
void ApplyFormColors(QWidget* form);

// The background colour a widget is painted with.
QColor BackgroundColor(const QWidget* widget);

// The forms ask for "MS Sans Serif"; where it is missing, a narrow sans-serif face with
// close metrics stands in for it. Call before the forms are built.
void SubstituteFormFont();
