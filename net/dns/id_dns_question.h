#pragma once
#include <cstdint>
#include <deque>
#include <string>

// One question: a dot-separated name without trailing dot, its type and class.
struct TQuestionItem {
    uint16_t QClass = 0;
    std::string QName;
    uint16_t QType = 0;
};

// The questions, in order. Items keep their address while others are added.
class TIdDNSQuestionList {
public:
    TQuestionItem& Add() { return FItems.emplace_back(); }
    void Clear() { FItems.clear(); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TQuestionItem& operator[](int32_t index) { return FItems.at(static_cast<size_t>(index)); }
    const TQuestionItem& operator[](int32_t index) const { return FItems.at(static_cast<size_t>(index)); }

private:
    std::deque<TQuestionItem> FItems;
};
