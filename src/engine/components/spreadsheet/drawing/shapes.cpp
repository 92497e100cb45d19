#include "engine/components/spreadsheet/drawing/shapes.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"

#include <filesystem>

#include "engine/components/spreadsheet/drawing/drawing.h"
#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/structure/sheet_features.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

double Shape::Left() const { return drawing_->bounds(anchor_).left; }
double Shape::Top() const { return drawing_->bounds(anchor_).top; }
double Shape::Width() const { return drawing_->bounds(anchor_).width; }
double Shape::Height() const { return drawing_->bounds(anchor_).height; }

void Shape::setWidth(double width) {
  if (!(width >= 0))
    throw SpreadsheetError("A picture's width cannot be negative.");
  ShapeBounds b = drawing_->bounds(anchor_);
  b.width = width;
  drawing_->setBounds(anchor_, b);
}

void Shape::setHeight(double height) {
  if (!(height >= 0))
    throw SpreadsheetError("A picture's height cannot be negative.");
  ShapeBounds b = drawing_->bounds(anchor_);
  b.height = height;
  drawing_->setBounds(anchor_, b);
}

void Shape::ScaleWidth(double factor, bool relativeToOriginalSize) {
  setWidth((relativeToOriginalSize ? ownWidth_ : Width()) * factor);
}

void Shape::ScaleHeight(double factor, bool relativeToOriginalSize) {
  setHeight((relativeToOriginalSize ? ownHeight_ : Height()) * factor);
}

int Shape::Placement() const { return drawing_->placement(anchor_); }
void Shape::setPlacement(int placement) { drawing_->setPlacement(anchor_, placement); }

Shape &Shapes::AddPicture(const std::string &file, bool linkToFile, bool saveWithDocument,
                          double left, double top, double width, double height) {
  if (!linkToFile && !saveWithDocument)
    throw SpreadsheetError("A picture must be saved with the document or linked to its file.");
  PictureFile picture = loadPicture(file);
  std::string link;
  if (linkToFile)
    link = "file://" + std::filesystem::absolute(file).lexically_normal().string();
  return place(picture, link, saveWithDocument, left, top, width, height);
}

Shape &Shapes::AddPictureBytes(std::string bytes, const std::string &source, bool linkToFile,
                               bool saveWithDocument, double left, double top, double width,
                               double height) {
  if (!linkToFile && !saveWithDocument)
    throw SpreadsheetError("A picture must be saved with the document or linked to its file.");
  PictureFile picture = decodePicture(std::move(bytes), source);
  return place(picture, linkToFile ? source : std::string(), saveWithDocument, left, top, width,
               height);
}

Shape &Shapes::place(const PictureFile &picture, const std::string &link, bool saveWithDocument,
                     double left, double top, double width, double height) {
  ShapeBounds b{left, top, width < 0 ? picture.widthPoints() : width,
                height < 0 ? picture.heightPoints() : height};
  Drawing &drawing = sheet_->drawing();
  std::string name = "Picture " + std::to_string(shapes_.size() + 1);
  size_t anchor = drawing.addPicture(picture, link, saveWithDocument, b, name);
  shapes_.push_back(
      std::make_unique<Shape>(drawing, anchor, picture.widthPoints(), picture.heightPoints()));
  return *shapes_.back();
}

Shape &Shapes::Item(int32_t index) {
  if (index < 1 || index > Count())
    throw SpreadsheetError("The sheet has no picture " + std::to_string(index) + ".");
  return *shapes_[static_cast<size_t>(index - 1)];
}

Shapes &Worksheet::Shapes() {
  cells();
  if (!shapes_)
    shapes_ = std::make_unique<brevant::Shapes>(*this);
  return *shapes_;
}

Drawing &Worksheet::drawing() {
  cells();
  if (!drawing_)
    drawing_ = std::make_unique<Drawing>(*this);
  return *drawing_;
}

bool Worksheet::hasDrawingPart() const {
  return static_cast<bool>(childOf(xml().root(), "drawing"));
}

void Worksheet::saveParts() {
  if (drawing_)
    drawing_->save();
  if (features_) {
    Package &package = book_->package();
    features_->notes.save(package);
    for (auto &table : features_->tables) {
      if (!table->modified)
        continue;
      package.write(table->part, xmlToString(table->doc));
      table->modified = false;
    }
  }
}

} // namespace brevant
