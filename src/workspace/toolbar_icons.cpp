#include "workspace/toolbar_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace brevant {
namespace {

constexpr int kBaseSize = 22;
const QColor kGreen(0x2e, 0x9d, 0x45);
const QColor kDarkGreen(0x1d, 0x6b, 0x2e);
const QColor kLightGreen(0x3c, 0xcf, 0x5c);
const QColor kPaleGreen(0xb8, 0xf2, 0xc4);

// Draws a picture at `size` pixels with the painter scaled to a 22-pixel grid.
template <typename Draw> QPixmap drawn(int size, Draw draw) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(double(size) / kBaseSize, double(size) / kBaseSize);
  draw(painter);
  return pixmap;
}

void drawStart(QPainter &p, bool dark) {
  QPainterPath triangle;
  triangle.moveTo(5, 3);
  triangle.lineTo(19, 11);
  triangle.lineTo(5, 19);
  triangle.closeSubpath();
  // On a dark window a lighter green with a pale rim; on a light one a deep green.
  p.setPen(QPen(dark ? kPaleGreen : kDarkGreen, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(dark ? kLightGreen : kGreen);
  p.drawPath(triangle);
}

void drawTemplate(QPainter &p, bool dark) {
  // The page with its folded corner.
  QPainterPath page;
  page.moveTo(3.5, 1.5);
  page.lineTo(14, 1.5);
  page.lineTo(18.5, 6);
  page.lineTo(18.5, 20.5);
  page.lineTo(3.5, 20.5);
  page.closeSubpath();
  p.setPen(QPen(dark ? QColor(0xd0, 0xd4, 0xd9) : QColor(0x55, 0x5b, 0x63), 1));
  p.setBrush(dark ? QColor(0x4a, 0x50, 0x57) : QColor(Qt::white));
  p.drawPath(page);
  p.setBrush(dark ? QColor(0x8a, 0x90, 0x97) : QColor(0xd0, 0xd4, 0xd9));
  QPainterPath fold;
  fold.moveTo(14, 1.5);
  fold.lineTo(14, 6);
  fold.lineTo(18.5, 6);
  fold.closeSubpath();
  p.drawPath(fold);
  // The header row and the grid of cells.
  p.setPen(Qt::NoPen);
  p.setBrush(dark ? kLightGreen : kGreen);
  p.drawRect(QRectF(5, 7.5, 12, 3));
  p.setPen(QPen(dark ? kLightGreen : kDarkGreen, 0.8));
  for (double y : {13.5, 16.5, 19.0})
    p.drawLine(QPointF(5, y), QPointF(17, y));
  for (double x : {9.0, 13.0})
    p.drawLine(QPointF(x, 10.5), QPointF(x, 19));
}

template <typename Draw> QIcon drawnIcon(Draw draw, bool dark) {
  QIcon icon;
  for (int size : {16, 22, 32, 44})
    icon.addPixmap(drawn(size, [&](QPainter &p) { draw(p, dark); }), QIcon::Normal);
  return icon;
}

// Low-saturation pixels (line art) mirrored in lightness: dark greys become light greys.
QImage lightened(QImage image) {
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(line[x]);
      if (c.alpha() == 0 || c.hslSaturation() > 60)
        continue;
      QColor out = QColor::fromHsl(c.hslHue(), c.hslSaturation(), 255 - c.lightness(), c.alpha());
      line[x] = out.rgba();
    }
  }
  return image;
}

// The picture in greys, at a third of its opacity: whatever the background, it stands out from
// it a third as much as the picture itself.
QImage faded(QImage image) {
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = qGray(line[x]);
      line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 3);
    }
  }
  return image;
}

} // namespace

QIcon startIcon(bool dark) { return drawnIcon(drawStart, dark); }

QIcon templateIcon(bool dark) { return drawnIcon(drawTemplate, dark); }

bool isDarkPalette(const QPalette &palette) {
  return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}

QIcon toolbarIcon(const QIcon &icon, int size, const QPalette &palette, bool themePicture) {
  const bool dark = themePicture && isDarkPalette(palette);
  QIcon out;
  for (int pixels : {size, 2 * size}) {
    QImage image = icon.pixmap(QSize(pixels, pixels)).toImage();
    if (image.isNull())
      continue;
    image.setDevicePixelRatio(1);
    if (dark)
      image = lightened(image);
    out.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    out.addPixmap(QPixmap::fromImage(faded(image)), QIcon::Disabled);
  }
  return out;
}

double pictureInk(const QImage &picture, const QColor &background) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  double ink = 0;
  const double pixels = double(image.width()) * image.height();
  if (pixels == 0)
    return 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = line[x];
      const double distance =
          (std::abs(qRed(c) - background.red()) + std::abs(qGreen(c) - background.green()) +
           std::abs(qBlue(c) - background.blue())) /
          (3.0 * 255);
      ink += distance * qAlpha(c) / 255.0;
    }
  }
  return ink / pixels;
}

} // namespace brevant
