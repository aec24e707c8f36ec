#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Header lines in arrival order: "Name: value", continuation lines kept as lines of their
// own. Lookups are linear in the size of the list, whatever the peer sent.
class TIdHeaderList {
public:
    std::string Separator = ": ";
    bool NamesCaseSensitive = false;
    bool UnfoldOnRead = true;
    bool FoldOnWrite = true;
    int FoldWidth = 78;

    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int index) const { return FLines.at(static_cast<size_t>(index)); }
    void Add(std::string line) { FLines.push_back(std::move(line)); }
    void Clear() { FLines.clear(); }
    void Delete(int index);
    // Appends every line of another list, in order.
    void AddLines(const TIdHeaderList& other);

    // Line i up to its first ":" (upper case unless names are case-sensitive); empty
    // when the line has none. Blanks are kept, so "Name :" never matches "Name".
    std::string NameOfLine(int index) const;
    // Index of the first line whose name is `name`, or -1.
    int FindHeader(const std::string& name) const;
    // The value of line i with its continuation lines joined; empty for an index out of range.
    std::string ValueOfLine(int index) const;
    std::string ValueOf(const std::string& name) const { return ValueOfLine(FindHeader(name)); }
    // Deletes the first header of that name together with its continuation lines.
    void RemoveHeader(const std::string& name);

private:
    bool NameMatches(const std::string& line, const std::string& name) const;
    std::vector<std::string> FLines;
};
