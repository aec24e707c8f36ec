#include "ui/tree_nodes.h"

#include "ui/ansi.h"
#include "ui/images.h"

#include <QTreeWidget>

QTreeWidgetItem* TTreeNodes::AddChild(QTreeWidgetItem* parent, const std::string& text, int image,
                                      int selectedImage, uint32_t data)
{
    auto* node = new QTreeWidgetItem(QStringList{FromAnsi(text)});
    node->setData(0, DataRole, QVariant::fromValue<quint32>(data));
    SetImages(node, image, selectedImage);
    if (parent)
        parent->addChild(node);
    else
        FTree.addTopLevelItem(node);
    return node;
}

void TTreeNodes::SetImages(QTreeWidgetItem* node, int image, int selectedImage)
{
    node->setData(0, ImageRole, image);
    node->setData(0, SelectedImageRole, selectedImage);
    node->setIcon(0, FImages.NodeIcon(image, selectedImage));
}

void TTreeNodes::Clear() { FTree.clear(); }

void TTreeNodes::BeginUpdate()
{
    if (FUpdateDepth++ == 0) FTree.setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate()
{
    if (FUpdateDepth > 0 && --FUpdateDepth == 0) FTree.setUpdatesEnabled(true);
}

std::string TTreeNodes::Text(const QTreeWidgetItem* node) { return ToAnsi(node->text(0)); }

int TTreeNodes::Image(const QTreeWidgetItem* node) { return node->data(0, ImageRole).toInt(); }

int TTreeNodes::SelectedImage(const QTreeWidgetItem* node) { return node->data(0, SelectedImageRole).toInt(); }

uint32_t TTreeNodes::Data(const QTreeWidgetItem* node) { return node->data(0, DataRole).value<quint32>(); }
