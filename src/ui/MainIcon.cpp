#include "ui/MainIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace hyt {

namespace {

constexpr int kCells = 6; // cells per side of the drawn mesh

// A bump with a ring around it, 0..1, over the mesh's vertex (i, j).
double BumpHeight(int i, int j)
{
    const double u = (i - kCells / 2.0) / (kCells / 2.0);
    const double v = (j - kCells / 2.0) / (kCells / 2.0);
    const double r = std::sqrt(u * u + v * v);
    return 0.5 + 0.5 * std::cos(r * 3.0);
}

QColor HeightColor(double h)
{
    const int red = std::clamp(int(h * 255.0), 0, 255);
    return QColor(red, 0, 255 - red);
}

} // namespace

QImage PaintMainIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, size > 24);

    // An oblique view: i runs down-right, j down-left, heights lift upward.
    const double s = size / 32.0;
    const double stepX = 2.4 * s;
    const double stepY = 1.3 * s;
    const double lift = 9.0 * s;
    const double originX = size / 2.0;
    const double originY = 11.0 * s;
    auto corner = [&](int i, int j) {
        return QPointF(originX + (i - j) * stepX,
                       originY + (i + j) * stepY - BumpHeight(i, j) * lift);
    };

    painter.setPen(QPen(QColor(50, 50, 50), std::max(1.0, s * 0.6)));
    // Far cells first: the far corner of the mesh is at the top of the image.
    for (int diagonal = 0; diagonal <= 2 * (kCells - 1); ++diagonal) {
        for (int i = 0; i < kCells; ++i) {
            const int j = diagonal - i;
            if (j < 0 || j >= kCells)
                continue;
            const QPolygonF cell{corner(i, j), corner(i + 1, j), corner(i + 1, j + 1),
                                 corner(i, j + 1)};
            const double h = (BumpHeight(i, j) + BumpHeight(i + 1, j) + BumpHeight(i + 1, j + 1) +
                              BumpHeight(i, j + 1)) /
                             4.0;
            painter.setBrush(HeightColor(h));
            painter.drawPolygon(cell);
        }
    }
    return image;
}

namespace {

// Paints each size the first time it is asked for: a start that needs one or
// two sizes does not pay for the large ones.
class MainIconEngine final : public QIconEngine {
  public:
    QIconEngine* clone() const override { return new MainIconEngine(*this); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int size : {HYT_ICON_SIZES})
            sizes.append(QSize(size, size));
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return QSize(Fit(size), Fit(size));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = Fit(size);
        for (const QPixmap& painted : cache)
            if (painted.width() == side)
                return painted;
        cache.append(QPixmap::fromImage(PaintMainIcon(side)));
        return cache.constLast();
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

  private:
    // The largest of the icon's sizes that fits, or the smallest.
    static int Fit(const QSize& wanted)
    {
        const int limit = std::min(wanted.width(), wanted.height());
        int best = 0;
        int smallest = 0;
        for (int size : {HYT_ICON_SIZES}) {
            if (smallest == 0 || size < smallest)
                smallest = size;
            if (size <= limit && size > best)
                best = size;
        }
        return best > 0 ? best : smallest;
    }

    QList<QPixmap> cache;
};

} // namespace

QIcon MakeMainIcon()
{
    return QIcon(new MainIconEngine);
}

} // namespace hyt
