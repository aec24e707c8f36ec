#pragma once
#include "app/results_file.h"
#include "dns/results_tree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The results tree without a widget: the nodes the DNS steps add, kept in order so that
// they can be written as the results file's lines. Images, data and expansion only
// change how a window draws a node, not its line, so they are not kept.
class TMemoryTree final : public IResultsTree {
public:
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text, int image, int selectedImage,
                        uint32_t data) override;
    void Expand(TTreeNode* node) override;

    void Clear() { FTop.clear(); }
    // One line per node in tree order: a node, then its children, then its next sibling.
    std::vector<TTreeLine> Lines() const;

private:
    struct TNode {
        std::string Text;
        std::vector<std::unique_ptr<TNode>> Children;
    };
    static void CollectLines(const TNode& node, int depth, std::vector<TTreeLine>& lines);

    std::vector<std::unique_ptr<TNode>> FTop;
};
