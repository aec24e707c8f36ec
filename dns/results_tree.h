#pragma once
#include <cstdint>
#include <string>

// A node of the window's results tree. The DNS steps never look inside one; they only
// hand it back to the tree.
struct TTreeNode;

// Node images: closed branch, open branch, value; -1 draws no image.
enum : int { ImageClosed = 0, ImageOpen = 1, ImageValue = 2, ImageNone = -1 };
// Node data: label or branch, host name or address the browser can open, other value.
enum : uint32_t { NodePlain = 0, NodeLink = 1, NodeValue = 2 };

// What the DNS steps need of the results tree.
class IResultsTree {
public:
    virtual ~IResultsTree() = default;
    // Adds a node as the last child of `parent`, or as the last top-level node when
    // `parent` is null. The text is Windows-1252 bytes.
    virtual TTreeNode* AddChild(TTreeNode* parent, const std::string& text, int image, int selectedImage,
                                uint32_t data) = 0;
    // Expands that node alone; its children stay as they are.
    virtual void Expand(TTreeNode* node) = 0;
};

// The tree's handlers, without the widgets.

// Image of a node once it has been expanded or collapsed: value nodes keep theirs.
inline int ImageAfterExpanding(int image) { return image == ImageValue ? image : ImageOpen; }
inline int ImageAfterCollapsing(int image) { return image == ImageValue ? image : ImageClosed; }
// Links and values are drawn blue and underlined; only links show the hand and open.
inline bool DrawnAsLink(uint32_t data) { return data != NodePlain; }
inline bool OpensInBrowser(uint32_t data) { return data == NodeLink; }

// Room for the address that a double-click opens, terminator included.
inline constexpr size_t kLinkBufferSize = 500;
// "http://" followed by the node's text (an IPv6 address in brackets); empty when that
// would not fit the buffer, so a cut address is never opened.
std::string LinkAddress(const std::string& text);
