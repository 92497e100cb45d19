#include "engine/components/spreadsheet/workbooks.h"

namespace brevant {

Workbook &Workbooks::Open(const std::string &path) {
  books_.push_back(std::make_unique<Workbook>(*app_, path, limits_));
  return *books_.back();
}

int32_t Workbooks::Count() const {
  int32_t n = 0;
  for (const auto &b : books_)
    n += !b->closed();
  return n;
}

void Workbooks::closeAll() {
  for (auto &b : books_)
    if (!b->closed())
      b->Close();
}

} // namespace brevant
