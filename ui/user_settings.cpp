#include "ui/user_settings.h"

#include <QSettings>

namespace {

const QString KeepAccentsKey = QStringLiteral("whois/keepAccents");

QSettings UserSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Norvane"),
                     QStringLiteral("norvane"));
}

}  // namespace

bool KeepAccentsSetting() { return UserSettings().value(KeepAccentsKey, false).toBool(); }

void SetKeepAccentsSetting(bool keep)
{
    QSettings settings = UserSettings();
    settings.setValue(KeepAccentsKey, keep);
    settings.sync();
}
