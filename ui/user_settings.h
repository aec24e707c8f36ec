#pragma once

// The user's choices that outlive a run, in the desktop's per-user settings
// ($XDG_CONFIG_HOME/Norvane/norvane.conf).

// "Conserver les accents": whois replies keep their 8-bit characters. Off until chosen.
bool KeepAccentsSetting();
void SetKeepAccentsSetting(bool keep);
