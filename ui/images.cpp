#include "ui/images.h"

#include <QPainter>
#include <QSvgRenderer>

// The resource file lives in a static library: its images must be registered by hand.
static void RegisterImages()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(norvane);
        return true;
    }();
    (void)registered;
}

void LoadImages() { RegisterImages(); }

QPixmap RenderSvg(const QString& path, QSize size)
{
    RegisterImages();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) icon.addPixmap(RenderSvg(Images::Globe, QSize(side, side)));
    return icon;
}

TImageList::TImageList(QSize size, const std::vector<QString>& paths) : FSize(size)
{
    for (const QString& path : paths) FImages.push_back(RenderSvg(path, size));
}

QPixmap TImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? FImages[static_cast<size_t>(index)] : QPixmap();
}

QIcon TImageList::NodeIcon(int image, int selectedImage) const
{
    QIcon icon;
    const QPixmap normal = Image(image);
    const QPixmap selected = Image(selectedImage);
    if (!normal.isNull()) icon.addPixmap(normal, QIcon::Normal);
    if (!selected.isNull()) icon.addPixmap(selected, QIcon::Selected);
    return icon;
}
