#pragma once
// A results tree that keeps its nodes in memory and prints them one line each, so that a
// test compares a whole branch at once.
#include "dns/results_tree.h"

#include <memory>
#include <string>
#include <vector>

struct TTreeNode {
    std::string Text;
    int Image = 0;
    int SelectedImage = 0;
    uint32_t Data = 0;
    bool Expanded = false;
    std::vector<std::unique_ptr<TTreeNode>> Children;
};

class RecordingTree : public IResultsTree {
public:
    std::vector<std::unique_ptr<TTreeNode>> Top;

    TTreeNode* AddChild(TTreeNode* parent, const std::string& text, int image, int selectedImage,
                        uint32_t data) override
    {
        auto node = std::make_unique<TTreeNode>();
        node->Text = text;
        node->Image = image;
        node->SelectedImage = selectedImage;
        node->Data = data;
        auto& siblings = parent != nullptr ? parent->Children : Top;
        siblings.push_back(std::move(node));
        return siblings.back().get();
    }
    void Expand(TTreeNode* node) override { node->Expanded = true; }

    // "<two blanks per level>text [image/selected data]", with " +" for an expanded node.
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const auto& node : Top) Print(*node, 0, lines);
        return lines;
    }

private:
    static void Print(const TTreeNode& node, int depth, std::vector<std::string>& lines)
    {
        lines.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + node.Text + " [" +
                        std::to_string(node.Image) + "/" + std::to_string(node.SelectedImage) + " " +
                        std::to_string(node.Data) + "]" + (node.Expanded ? " +" : ""));
        for (const auto& child : node.Children) Print(*child, depth + 1, lines);
    }
};
