#pragma once
#include <QTreeWidgetItem>

#include <cstdint>
#include <string>

class QTreeWidget;
class TImageList;

// The nodes of the results tree. Each node has a text, an image index, a selected-image
// index (-1: none) and a 32-bit data value, kept in item roles.
class TTreeNodes {
public:
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int SelectedImageRole = Qt::UserRole + 2;
    static constexpr int DataRole = Qt::UserRole + 3;

    TTreeNodes(QTreeWidget& tree, const TImageList& images) : FTree(tree), FImages(images) {}

    // Adds a node as the last child of `parent`, or as the last top-level node when
    // `parent` is null. The text is the program's Windows-1252 bytes.
    QTreeWidgetItem* AddChild(QTreeWidgetItem* parent, const std::string& text, int image, int selectedImage,
                              uint32_t data);
    void SetImages(QTreeWidgetItem* node, int image, int selectedImage);
    void Clear();
    // No repainting between the two; brackets may nest.
    void BeginUpdate();
    void EndUpdate();

    static std::string Text(const QTreeWidgetItem* node);
    static int Image(const QTreeWidgetItem* node);
    static int SelectedImage(const QTreeWidgetItem* node);
    static uint32_t Data(const QTreeWidgetItem* node);

private:
    QTreeWidget& FTree;
    const TImageList& FImages;
    int FUpdateDepth = 0;
};
