#include "engine/components/spreadsheet/drawing/chart_parts.h"

#include "engine/components/spreadsheet/io/xml_names.h"
#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/package/package.h"

namespace brevant {

void ChartParts::shiftReferencesTo(Package &package, const ContentTypes &types,
                                   const std::string &target, const SheetShift &shift) {
  load(package, types);
  for (auto &chart : charts_)
    for (auto node : chart->formulas) {
      std::string text = node.text().get();
      if (shiftFormula(text, "", target, shift)) {
        node.text().set(text.c_str());
        chart->modified = true;
      }
    }
}

void ChartParts::load(Package &package, const ContentTypes &types) {
  if (loaded_)
    return;
  loaded_ = true;
  for (const auto &[part, type] : types.overrides) {
    if (type.find("drawingml.chart+xml") == std::string::npos || !package.has(part))
      continue;
    auto chart = std::make_unique<Chart>();
    chart->part = part;
    const std::string &xml = package.read(part);
    if (!chart->doc.load_buffer(xml.data(), xml.size(),
                                pugi::parse_default | pugi::parse_declaration))
      continue;
    std::vector<pugi::xml_node> pending{chart->doc.document_element()};
    while (!pending.empty()) {
      auto n = pending.back();
      pending.pop_back();
      for (auto c : n.children()) {
        if (c.type() != pugi::node_element)
          continue;
        if (localName(c.name()) == "f")
          chart->formulas.push_back(c);
        else
          pending.push_back(c);
      }
    }
    charts_.push_back(std::move(chart));
  }
}

void ChartParts::save(Package &package) {
  for (auto &chart : charts_) {
    if (!chart->modified)
      continue;
    package.write(chart->part, xmlToString(chart->doc));
    chart->modified = false;
  }
}

} // namespace brevant
