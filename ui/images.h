#pragma once
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <vector>

// The pictures of the forms, drawn as SVG in the resource file.
namespace Images {
inline const QString Globe = QStringLiteral(":/images/globe.svg");           // 47 x 49
inline const QString Glyph32 = QStringLiteral(":/images/glyph32.svg");       // 32 x 32
inline const QString Glyph16 = QStringLiteral(":/images/glyph16.svg");       // 16 x 16
inline const QString FolderClosed = QStringLiteral(":/images/folder-closed.svg");
inline const QString FolderOpen = QStringLiteral(":/images/folder-open.svg");
inline const QString Link = QStringLiteral(":/images/link.svg");
inline const QString About = QStringLiteral(":/images/about.svg");           // 392 x 200
}  // namespace Images

// Makes the pictures of the resource file reachable by their paths.
void LoadImages();

// Draws an SVG of the resource at the given size on a transparent background.
QPixmap RenderSvg(const QString& path, QSize size);

// The globe at the sizes docks and task switchers ask for.
QIcon ApplicationIcon();

// Images of one size, by index, the way tree nodes refer to them.
class TImageList {
public:
    TImageList(QSize size, const std::vector<QString>& paths);

    int Count() const { return static_cast<int>(FImages.size()); }
    QSize Size() const { return FSize; }
    // An empty pixmap for an index outside the list (-1: no image).
    QPixmap Image(int index) const;
    // The icon of a node: `image` normally, `selectedImage` while the node is selected.
    QIcon NodeIcon(int image, int selectedImage) const;

private:
    QSize FSize;
    std::vector<QPixmap> FImages;
};
