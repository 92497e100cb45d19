#pragma once
// The toolbar's pictures. Desktop icon themes draw many action icons in pale greys, which Qt then
// greys out once more for a disabled button: the two states look alike, and an enabled Start
// looks unavailable. Here every button gets a disabled picture that is plainly faded (in greys
// at a third of its opacity), Start and Template get pictures of their own in clear colours, and on
// a dark palette the theme's grey line art is lightened so that it stands out from the background.

#include <QIcon>
#include <QPalette>

namespace brevant {

// A green "play" triangle, in lighter colours for a dark window.
QIcon startIcon(bool dark = false);
// A worksheet with a green header row and a folded corner, likewise.
QIcon templateIcon(bool dark = false);

// `icon` at `size` (and twice that, for high-density screens) with its normal picture kept, or,
// for a theme's picture on a dark `palette`, lightened, and a faded disabled picture.
[[nodiscard]] QIcon toolbarIcon(const QIcon &icon, int size, const QPalette &palette,
                                bool themePicture = true);

// True when the palette's window colour is dark.
[[nodiscard]] bool isDarkPalette(const QPalette &palette);

// The average "ink" of a picture: how far its pixels stand from `background`, weighted by their
// opacity, from 0 (nothing visible) to 1.
double pictureInk(const QImage &image, const QColor &background);

} // namespace brevant
