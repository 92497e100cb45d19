#pragma once
// A picture to be placed on a sheet: its bytes in a format every spreadsheet client shows
// (PNG, JPEG, GIF or BMP; other formats the image library reads are turned into PNG), its size
// in pixels and its resolution.

#include <cstdint>
#include <string>

namespace brevant {

struct PictureFile {
  std::string bytes;
  std::string extension;     // "png", "jpeg", "gif", "bmp"
  std::string contentType;   // "image/png", ...
  int width = 0, height = 0; // pixels
  double dpiX = 96, dpiY = 96;

  // The picture's own size in points.
  double widthPoints() const { return width * 72.0 / dpiX; }
  double heightPoints() const { return height * 72.0 / dpiY; }
};

constexpr uint64_t kMaxPictureBytes = 50ull * 1024 * 1024;
// A picture that states more pixels than this is refused from its header, before anything is
// decoded: a few bytes can declare a picture that takes gigabytes to unpack.
constexpr uint64_t kMaxPicturePixels = 100'000'000;

// Reads a local picture file. Throws with a description for a missing file, a file that is not
// a picture, or one over 50 MB. (Pictures at addresses are fetched by the report run, which
// passes their bytes to decodePicture.)
[[nodiscard]] PictureFile loadPicture(const std::string &source);
// The picture in `bytes` (named `source` in messages).
PictureFile decodePicture(std::string bytes, const std::string &source);

} // namespace brevant
