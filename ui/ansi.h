#pragma once
#include <QString>

#include <string>

// The program's text is Windows-1252 bytes; the widgets hold QString. These convert at
// that boundary.
QString FromAnsi(const std::string& bytes);
std::string ToAnsi(const QString& text);
