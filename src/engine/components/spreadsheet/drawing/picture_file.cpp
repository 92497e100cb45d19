#include "engine/components/spreadsheet/drawing/picture_file.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

uint32_t bigEndian32(const std::string &b, size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}

uint32_t littleEndian32(const std::string &b, size_t at) {
  return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) |
         (uint32_t(uint8_t(b[at + 2])) << 16) | (uint32_t(uint8_t(b[at + 3])) << 24);
}

// The resolution a picture file states, where its format carries one.
void readResolution(PictureFile &p) {
  const std::string &b = p.bytes;
  auto set = [&](double x, double y) {
    // Metric resolutions round-trip to whole dots per inch (3780 per metre is 96 dpi).
    x = std::round(x);
    y = std::round(y);
    if (x >= 10 && x <= 10000 && y >= 10 && y <= 10000) {
      p.dpiX = x;
      p.dpiY = y;
    }
  };
  if (p.extension == "png") {
    // Chunks after the 8-byte signature: length, type, data, CRC. pHYs holds pixels per metre.
    size_t at = 8;
    while (at + 8 <= b.size()) {
      uint32_t length = bigEndian32(b, at);
      std::string type = b.substr(at + 4, 4);
      if (type == "pHYs" && length >= 9 && at + 8 + 9 <= b.size()) {
        if (uint8_t(b[at + 16]) == 1)
          set(bigEndian32(b, at + 8) * 0.0254, bigEndian32(b, at + 12) * 0.0254);
        return;
      }
      if (type == "IDAT" || type == "IEND")
        return;
      at += 12 + size_t(length);
    }
  } else if (p.extension == "jpeg") {
    // The JFIF segment: units 1 = dots per inch, 2 = dots per centimetre.
    if (b.size() >= 18 && uint8_t(b[2]) == 0xFF && uint8_t(b[3]) == 0xE0 &&
        b.compare(6, 5, std::string("JFIF\0", 5)) == 0) {
      int units = uint8_t(b[13]);
      double x = (uint8_t(b[14]) << 8) | uint8_t(b[15]);
      double y = (uint8_t(b[16]) << 8) | uint8_t(b[17]);
      if (units == 1)
        set(x, y);
      else if (units == 2)
        set(x * 2.54, y * 2.54);
    }
  } else if (p.extension == "bmp") {
    if (b.size() >= 46 && littleEndian32(b, 14) >= 40)
      set(littleEndian32(b, 38) * 0.0254, littleEndian32(b, 42) * 0.0254);
  }
}

void appendBytes(void *context, void *data, int size) {
  static_cast<std::string *>(context)->append(static_cast<const char *>(data),
                                              static_cast<size_t>(size));
}

} // namespace

PictureFile decodePicture(std::string bytes, const std::string &source) {
  PictureFile p;
  int width = 0, height = 0, components = 0;
  const auto *data = reinterpret_cast<const stbi_uc *>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  if (bytes.empty() || !stbi_info_from_memory(data, size, &width, &height, &components))
    throw SpreadsheetError("The file \"" + source + "\" is not a picture (" +
                           (bytes.empty() ? "it is empty" : stbi_failure_reason()) + ").");
  if (uint64_t(width) * uint64_t(height) > kMaxPicturePixels)
    throw SpreadsheetError("The picture \"" + source + "\" is too large: " + std::to_string(width) +
                           " x " + std::to_string(height) + " pixels (more than 100 million).");
  p.width = width;
  p.height = height;
  auto starts = [&](std::string_view magic) { return bytes.compare(0, magic.size(), magic) == 0; };
  if (starts("\x89PNG\r\n\x1a\n")) {
    p.extension = "png";
  } else if (starts("\xFF\xD8\xFF")) {
    p.extension = "jpeg";
  } else if (starts("GIF87a") || starts("GIF89a")) {
    p.extension = "gif";
  } else if (starts("BM")) {
    p.extension = "bmp";
  } else {
    // A format the workbook clients do not show (TGA, PSD, PNM, HDR...): store it as PNG.
    int channels = 0;
    stbi_uc *pixels = stbi_load_from_memory(data, size, &width, &height, &channels, 4);
    if (!pixels)
      throw SpreadsheetError("The picture \"" + source + "\" cannot be read (" +
                             stbi_failure_reason() + ").");
    std::string png;
    int ok = stbi_write_png_to_func(appendBytes, &png, width, height, 4, pixels, width * 4);
    stbi_image_free(pixels);
    if (!ok)
      throw SpreadsheetError("The picture \"" + source + "\" cannot be converted to PNG.");
    bytes = std::move(png);
    p.extension = "png";
  }
  p.contentType = "image/" + p.extension;
  p.bytes = std::move(bytes);
  readResolution(p);
  return p;
}

PictureFile loadPicture(const std::string &source) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(source, ec))
    throw SpreadsheetError("The picture file \"" + source + "\" does not exist.");
  auto size = std::filesystem::file_size(source, ec);
  if (!ec && size > kMaxPictureBytes)
    throw SpreadsheetError("The picture file \"" + source + "\" is larger than 50 MB.");
  std::ifstream in(source, std::ios::binary);
  if (!in)
    throw SpreadsheetError("The picture file \"" + source +
                           "\" cannot be opened: " + std::strerror(errno) + ".");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return decodePicture(std::move(bytes), source);
}

} // namespace brevant
