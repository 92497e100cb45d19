#include "engine/components/spreadsheet/package/package.h"

#include "base/strings.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

pugi::xml_document parseXml(std::string_view xml, const char *what) {
  pugi::xml_document doc;
  auto result = doc.load_buffer(xml.data(), xml.size());
  if (!result)
    throw SpreadsheetError(std::string("The package part ") + what + " is not well-formed XML (" +
                           result.description() + ").");
  return doc;
}

std::string stripSlash(std::string_view s) {
  while (!s.empty() && s.front() == '/')
    s.remove_prefix(1);
  return std::string(s);
}

} // namespace

Relationships Relationships::parse(std::string_view xml) {
  Relationships rels;
  auto doc = parseXml(xml, "of relationships");
  for (auto node : doc.document_element().children()) {
    if (localName(node.name()) != "Relationship")
      continue;
    Relationship r;
    r.id = node.attribute("Id").value();
    r.type = node.attribute("Type").value();
    r.target = node.attribute("Target").value();
    r.external = std::string_view(node.attribute("TargetMode").value()) == "External";
    rels.items.push_back(std::move(r));
  }
  return rels;
}

std::string Relationships::serialize() const {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                    "<Relationships "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const auto &r : items) {
    out += "<Relationship Id=\"";
    appendXmlEscaped(out, r.id);
    out += "\" Type=\"";
    appendXmlEscaped(out, r.type);
    out += "\" Target=\"";
    appendXmlEscaped(out, r.target);
    out += r.external ? "\" TargetMode=\"External\"/>" : "\"/>";
  }
  out += "</Relationships>";
  return out;
}

const Relationship *Relationships::byId(std::string_view id) const {
  for (const auto &r : items)
    if (r.id == id)
      return &r;
  return nullptr;
}

const Relationship *Relationships::byType(std::string_view type) const {
  for (const auto &r : items)
    if (r.type == type)
      return &r;
  return nullptr;
}

std::string Relationships::add(std::string type, std::string target) {
  for (int n = static_cast<int>(items.size()) + 1;; ++n) {
    std::string id = "rId" + std::to_string(n);
    if (!byId(id)) {
      items.push_back({id, std::move(type), std::move(target), false});
      return id;
    }
  }
}

void Relationships::removeById(std::string_view id) {
  std::erase_if(items, [&](const Relationship &r) { return r.id == id; });
}

ContentTypes ContentTypes::parse(std::string_view xml) {
  ContentTypes ct;
  auto doc = parseXml(xml, "[Content_Types].xml");
  for (auto node : doc.document_element().children()) {
    auto name = localName(node.name());
    if (name == "Default")
      ct.defaults[asciiLower(node.attribute("Extension").value())] =
          node.attribute("ContentType").value();
    else if (name == "Override")
      ct.overrides[stripSlash(node.attribute("PartName").value())] =
          node.attribute("ContentType").value();
  }
  return ct;
}

std::string ContentTypes::serialize() const {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
  for (const auto &[ext, type] : defaults) {
    out += "<Default Extension=\"";
    appendXmlEscaped(out, ext);
    out += "\" ContentType=\"";
    appendXmlEscaped(out, type);
    out += "\"/>";
  }
  for (const auto &[part, type] : overrides) {
    out += "<Override PartName=\"/";
    appendXmlEscaped(out, part);
    out += "\" ContentType=\"";
    appendXmlEscaped(out, type);
    out += "\"/>";
  }
  out += "</Types>";
  return out;
}

std::string ContentTypes::typeOf(std::string_view partName) const {
  std::string name = stripSlash(partName);
  if (auto it = overrides.find(name); it != overrides.end())
    return it->second;
  // Part names compare without regard to ASCII case.
  for (const auto &[part, type] : overrides)
    if (equalsAsciiNoCase(part, name))
      return type;
  size_t dot = name.rfind('.');
  if (dot != std::string::npos)
    if (auto it = defaults.find(asciiLower(name.substr(dot + 1))); it != defaults.end())
      return it->second;
  return {};
}

bool Package::NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return asciiLower(x) < asciiLower(y); });
}

Package Package::fromBytes(std::string_view archive, const ZipLimits &limits) {
  Package pkg;
  pkg.maxPartSize_ = limits.maxPartSize;
  for (auto &entry : readZip(archive, limits)) {
    auto part = std::make_unique<Part>();
    part->stored = std::move(entry);
    pkg.index_[part->stored.name] = pkg.parts_.size();
    pkg.parts_.push_back(std::move(part));
  }
  return pkg;
}

Package Package::fromFile(const std::string &path, const ZipLimits &limits) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw SpreadsheetError("The file \"" + path + "\" cannot be opened.");
  std::ostringstream buf;
  buf << in.rdbuf();
  return fromBytes(buf.str(), limits);
}

bool Package::has(std::string_view name) const { return index_.find(name) != index_.end(); }

const std::string &Package::read(std::string_view name) {
  auto it = index_.find(name);
  if (it == index_.end())
    throw SpreadsheetError("The package has no part \"" + std::string(name) + "\".");
  Part &part = *parts_[it->second];
  if (!part.loaded && !part.replaced) {
    part.data = inflateEntry(part.stored, maxPartSize_);
    part.loaded = true;
  }
  return part.data;
}

void Package::write(std::string_view name, std::string data) {
  auto it = index_.find(name);
  if (it == index_.end()) {
    auto part = std::make_unique<Part>();
    part->stored.name = std::string(name);
    index_[part->stored.name] = parts_.size();
    parts_.push_back(std::move(part));
    it = index_.find(name);
  }
  Part &part = *parts_[it->second];
  part.data = std::move(data);
  part.replaced = true;
  part.loaded = true;
}

void Package::remove(std::string_view name) {
  auto it = index_.find(name);
  if (it == index_.end())
    return;
  parts_.erase(parts_.begin() + static_cast<long>(it->second));
  index_.clear();
  for (size_t i = 0; i < parts_.size(); ++i)
    index_[parts_[i]->stored.name] = i;
}

std::vector<std::string> Package::names() const {
  std::vector<std::string> out;
  for (const auto &p : parts_)
    out.push_back(p->stored.name);
  return out;
}

std::string Package::relsNameOf(std::string_view partName) {
  size_t slash = partName.rfind('/');
  std::string folder =
      slash == std::string_view::npos ? "" : std::string(partName.substr(0, slash + 1));
  std::string file(slash == std::string_view::npos ? partName : partName.substr(slash + 1));
  return folder + "_rels/" + file + ".rels";
}

std::string Package::resolveTarget(std::string_view sourcePart, std::string_view target) {
  std::vector<std::string> segments;
  if (target.empty() || target.front() != '/') {
    size_t slash = sourcePart.rfind('/');
    std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash);
    size_t start = 0;
    while (!folder.empty() && start <= folder.size()) {
      size_t next = folder.find('/', start);
      segments.emplace_back(
          folder.substr(start, next == std::string_view::npos ? folder.npos : next - start));
      if (next == std::string_view::npos)
        break;
      start = next + 1;
    }
  }
  size_t start = 0;
  while (start <= target.size()) {
    size_t next = target.find('/', start);
    std::string seg(
        target.substr(start, next == std::string_view::npos ? target.npos : next - start));
    if (seg == "..") {
      if (!segments.empty())
        segments.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segments.push_back(seg);
    }
    if (next == std::string_view::npos)
      break;
    start = next + 1;
  }
  std::string out;
  for (const auto &s : segments) {
    if (!out.empty())
      out += '/';
    out += s;
  }
  return out;
}

std::string Package::relativeTarget(std::string_view sourcePart, std::string_view partName) {
  size_t slash = sourcePart.rfind('/');
  std::string folder =
      slash == std::string_view::npos ? "" : std::string(sourcePart.substr(0, slash + 1));
  if (!folder.empty() && partName.substr(0, folder.size()) == folder)
    return std::string(partName.substr(folder.size()));
  return "/" + std::string(partName);
}

Relationships Package::relationshipsOf(std::string_view partName) {
  std::string rels = relsNameOf(partName);
  if (!has(rels))
    return {};
  return Relationships::parse(read(rels));
}

void Package::save(const std::string &path,
                   const std::map<std::string, ZipWriter::Producer> &generated,
                   const CompressionOptions &options) const {
  ZipWriter zip(path, options);
  // The content types come first, as the packaging conventions recommend.
  std::vector<const Part *> order;
  for (const auto &p : parts_)
    if (p->stored.name == "[Content_Types].xml")
      order.push_back(p.get());
  for (const auto &p : parts_)
    if (p->stored.name != "[Content_Types].xml")
      order.push_back(p.get());
  // The producers' names may differ in letter case from the stored parts they replace.
  std::map<std::string_view, const ZipWriter::Producer *, NameLess> producers;
  for (const auto &[name, producer] : generated)
    producers.emplace(name, &producer);
  for (const Part *p : order) {
    const std::string &name = p->stored.name;
    if (auto g = producers.find(name); g != producers.end())
      zip.addStreamed(name, *g->second);
    else if (p->replaced)
      zip.addData(name, p->data);
    else
      zip.addRaw(p->stored);
  }
  for (const auto &[name, producer] : generated)
    if (!has(name))
      zip.addStreamed(name, producer);
  zip.finish();
}

} // namespace brevant
