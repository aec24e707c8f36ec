#pragma once
#include <string>
#include <string_view>

// The application's standard error box: how an exception that no handler caught is shown.

// The message with "." appended when its last character sorts after "." (byte order);
// an empty message stays empty.
std::string StandardErrorText(std::string_view message);

// The application's title, used as the box's caption: the executable's file name up to
// its first ".", every letter after the first in lower case, the code page's capitals
// included (the first stays as it is).
std::string ApplicationTitle(std::string_view executablePath);
