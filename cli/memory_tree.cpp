#include "cli/memory_tree.h"

// The DNS steps hold nodes only as handles they give back; the handle is the node itself.
TTreeNode* TMemoryTree::AddChild(TTreeNode* parent, const std::string& text, int, int, uint32_t)
{
    auto& siblings = parent == nullptr ? FTop : reinterpret_cast<TNode*>(parent)->Children;
    auto node = std::make_unique<TNode>();
    node->Text = text;
    siblings.push_back(std::move(node));
    return reinterpret_cast<TTreeNode*>(siblings.back().get());
}

void TMemoryTree::Expand(TTreeNode*) {}

std::vector<TTreeLine> TMemoryTree::Lines() const
{
    std::vector<TTreeLine> lines;
    for (const auto& node : FTop) CollectLines(*node, 0, lines);
    return lines;
}

void TMemoryTree::CollectLines(const TNode& node, int depth, std::vector<TTreeLine>& lines)
{
    lines.push_back({depth, node.Text});
    for (const auto& child : node.Children) CollectLines(*child, depth + 1, lines);
}
