#include "ui/ansi.h"

#include "runtime/codepage.h"

QString FromAnsi(const std::string& bytes)
{
    const std::string utf8 = Cp1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToAnsi(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}
