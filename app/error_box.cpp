#include "app/error_box.h"

#include "runtime/text.h"

std::string StandardErrorText(std::string_view message)
{
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
    return text;
}

std::string ApplicationTitle(std::string_view executablePath)
{
    std::string_view name = executablePath;
    const size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    name = name.substr(0, name.find('.'));
    if (name.empty()) return {};
    return std::string(name.substr(0, 1)) + AnsiLowerCase(name.substr(1));
}
