#include "cli/name_list.h"

#include "runtime/text.h"

std::vector<std::string> ReadNameList(std::istream& in)
{
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        std::string name = Trim(line);
        if (!name.empty() && name[0] != '#') names.push_back(std::move(name));
    }
    return names;
}
