#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/sheet/sheet_xml.h"

#include "base/strings.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/convert/libreoffice_conversion.h"
#include "engine/components/spreadsheet/file_formats.h"
#include "engine/components/spreadsheet/io/text_files.h"
#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook_xml.h"

namespace brevant {

namespace {

constexpr std::string_view kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr std::string_view kStrictOfficeDocument =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument";
constexpr std::string_view kVbaProject =
    "http://schemas.microsoft.com/office/2006/relationships/vbaProject";
constexpr const char *kSharedStringsType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char *kStylesType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

std::string relationshipId(pugi::xml_node sheet) {
  for (auto a : sheet.attributes())
    if (localName(a.name()) == "id" && std::strchr(a.name(), ':'))
      return a.value();
  return {};
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw SpreadsheetError("The file \"" + path + "\" cannot be opened: " + std::strerror(errno) +
                           ".");
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

std::string extensionOf(const std::string &path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  return asciiLower(std::string_view(path).substr(dot + 1));
}

// The sheet name a text file gets: its base name, without the characters sheet names cannot
// hold, at most 31 characters.
std::string sheetNameForFile(const std::string &path) {
  size_t slash = path.find_last_of("/\\");
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0)
    base = base.substr(0, dot);
  std::string name;
  size_t chars = 0;
  for (size_t i = 0; i < base.size(); ++i) {
    char c = base[i];
    if (std::strchr(":\\/?*[]", c))
      c = '_';
    bool start = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (start && ++chars > 31)
      break;
    name += c;
  }
  while (!name.empty() && name.front() == '\'')
    name.erase(0, 1);
  return name.empty() ? "Sheet1" : name;
}

} // namespace

Workbook::Workbook(Application &app, const std::string &path, const ZipLimits &limits)
    : app_(&app), path_(path), xml_(std::make_unique<WorkbookXml>()),
      styles_(std::make_unique<Styles>()) {
  std::ifstream probe(path, std::ios::binary);
  if (!probe)
    throw SpreadsheetError("The file \"" + path + "\" cannot be opened: " + std::strerror(errno) +
                           ".");
  char magic[4] = {};
  probe.read(magic, 4);
  probe.close();
  std::string ext = extensionOf(path);
  bool zip = std::memcmp(magic, "PK\x03\x04", 4) == 0 || std::memcmp(magic, "PK\x05\x06", 4) == 0;
  if (!zip && (ext == "csv" || ext == "txt" || ext == "tsv" || ext == "tab" || ext == "prn"))
    openText(path);
  else
    openPackage(path, limits);
}

Workbook::~Workbook() = default;

void Workbook::openPackage(const std::string &path, const ZipLimits &limits) {
  package_ = Package::fromFile(path, limits);
  if (!package_.has("[Content_Types].xml"))
    throw SpreadsheetError("The file \"" + path +
                           "\" is not a workbook: its package has no "
                           "content types.");
  contentTypes_ = ContentTypes::parse(package_.read("[Content_Types].xml"));
  Relationships root = package_.relationshipsOf("");
  if (root.byType(kStrictOfficeDocument))
    throw SpreadsheetError("The file \"" + path +
                           "\" is a Strict Open XML workbook, which is "
                           "not supported.");
  const Relationship *main = root.byType(kOfficeDocument);
  if (!main)
    throw SpreadsheetError("The file \"" + path +
                           "\" is not a workbook: its package has no "
                           "main document.");
  workbookPart_ = Package::resolveTarget("", main->target);
  if (!package_.has(workbookPart_))
    throw SpreadsheetError("The file \"" + path + "\" is not a workbook: the part \"" +
                           workbookPart_ + "\" is missing.");
  std::string type = contentTypes_.typeOf(workbookPart_);
  auto format = formatOfWorkbookContentType(type);
  if (!format)
    throw SpreadsheetError("The file \"" + path +
                           "\" is not a spreadsheet workbook (its main "
                           "part is of the type \"" +
                           type + "\").");
  fileFormat_ = *format;
  loadWorkbookPart();
}

void Workbook::openText(const std::string &path) {
  std::string text = decodeTextFile(readFile(path));
  std::string ext = extensionOf(path);
  char separator = ext == "csv" ? ',' : '\t';
  fileFormat_ = ext == "csv" ? xlFileFormat::xlCSV : xlFileFormat::xlCurrentPlatformText;
  // A one-sheet workbook in memory, as if it had been opened from a package.
  const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rns = std::string(kRelNs.substr(0, kRelNs.size() - 1));
  package_.write("[Content_Types].xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                 "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"rels\" "
                 "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                 "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
                     std::string(workbookContentType(xlFileFormat::xlOpenXMLWorkbook)) +
                     "\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" "
                     "ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>");
  Relationships rootRels;
  rootRels.add(std::string(kOfficeDocument), "xl/workbook.xml");
  package_.write("_rels/.rels", rootRels.serialize());
  pugi::xml_document wb;
  auto root = wb.append_child("workbook");
  root.append_attribute("xmlns") = ns.c_str();
  root.append_attribute("xmlns:r") = rns.c_str();
  root.append_child("bookViews").append_child("workbookView");
  auto sheet = root.append_child("sheets").append_child("sheet");
  sheet.append_attribute("name") = sheetNameForFile(path).c_str();
  sheet.append_attribute("sheetId") = 1;
  sheet.append_attribute("r:id") = "rId1";
  package_.write("xl/workbook.xml", xmlToString(wb));
  Relationships wbRels;
  wbRels.add(std::string(kRelNs) + "worksheet", "worksheets/sheet1.xml");
  package_.write("xl/_rels/workbook.xml.rels", wbRels.serialize());
  package_.write("xl/worksheets/sheet1.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                 "<worksheet xmlns=\"" +
                     ns + "\" xmlns:r=\"" + rns + "\"><sheetData/></worksheet>");
  contentTypes_ = ContentTypes::parse(package_.read("[Content_Types].xml"));
  workbookPart_ = "xl/workbook.xml";
  loadWorkbookPart();
  importDelimitedText(text, separator, *sheets_.front());
}

void Workbook::loadWorkbookPart() {
  const std::string &xml = package_.read(workbookPart_);
  auto result = xml_->workbook.load_buffer(xml.data(), xml.size(),
                                           pugi::parse_default | pugi::parse_declaration |
                                               pugi::parse_ws_pcdata_single);
  if (!result)
    throw SpreadsheetError("The workbook part is damaged (" + std::string(result.description()) +
                           ").");
  auto root = xml_->workbook.document_element();
  if (localName(root.name()) != "workbook")
    throw SpreadsheetError("The main part of the package is not a workbook.");
  if (auto pr = child(root, "workbookPr"))
    date1904_ = pr.attribute("date1904").as_bool();
  workbookRels_ = package_.relationshipsOf(workbookPart_);
  for (auto sheet : child(root, "sheets").children()) {
    if (localName(sheet.name()) != "sheet")
      continue;
    std::string id = relationshipId(sheet);
    sheetListIds_.push_back(id);
    const Relationship *rel = workbookRels_.byId(id);
    if (!rel || !rel->type.ends_with("/worksheet"))
      continue; // chart sheets and the like are carried, not opened
    std::string part = Package::resolveTarget(workbookPart_, rel->target);
    if (!package_.has(part))
      throw SpreadsheetError("The worksheet \"" + std::string(sheet.attribute("name").value()) +
                             "\" is missing from the package.");
    sheets_.push_back(std::make_unique<Worksheet>(*this, sheet.attribute("name").value(), part));
  }
  if (sheets_.empty())
    throw SpreadsheetError("The workbook has no worksheet.");
  for (const auto &rel : workbookRels_.items) {
    std::string part = Package::resolveTarget(workbookPart_, rel.target);
    if (rel.type.ends_with("/sharedStrings") && package_.has(part)) {
      sharedStringsPart_ = part;
      strings_.load(package_.read(part));
    } else if (rel.type.ends_with("/styles") && package_.has(part)) {
      stylesPart_ = part;
      styles_->load(package_.read(part));
    }
  }
  if (stylesPart_.empty())
    styles_->createDefault();
  for (auto node : child(root, "definedNames").children())
    if (localName(node.name()) == "definedName")
      xml_->names.push_back(node);
  if (auto view = child(child(root, "bookViews"), "workbookView"))
    activeTab_ = view.attribute("activeTab").as_int(0);
  // A damaged template must fail when it is opened, not when the report is saved.
  for (auto &sheet : sheets_)
    sheet->cells();
}

void Workbook::checkOpen() const {
  if (closed_)
    throw SpreadsheetError("The workbook has been closed.");
}

Worksheet &Workbook::Worksheets(std::string_view name) {
  checkOpen();
  for (auto &s : sheets_)
    if (equalsIgnoringCase(s->Name(), name))
      return *s;
  throw SpreadsheetError("The workbook has no worksheet \"" + std::string(name) + "\".");
}

Worksheet &Workbook::Worksheets(int32_t index) {
  checkOpen();
  if (index < 1 || index > static_cast<int32_t>(sheets_.size()))
    throw SpreadsheetError("The workbook has no worksheet " + std::to_string(index) + ".");
  return *sheets_[static_cast<size_t>(index - 1)];
}

int32_t Workbook::WorksheetCount() const {
  checkOpen();
  return static_cast<int32_t>(sheets_.size());
}

int Workbook::sheetListIndex(const Worksheet &sheet) const {
  auto root = xml_->workbook.document_element();
  int i = 0;
  for (auto node : child(root, "sheets").children()) {
    if (localName(node.name()) != "sheet")
      continue;
    if (node.attribute("name").value() == sheet.Name())
      return i;
    ++i;
  }
  return -1;
}

Worksheet &Workbook::ActiveSheet() {
  checkOpen();
  auto root = xml_->workbook.document_element();
  int i = 0;
  for (auto node : child(root, "sheets").children()) {
    if (localName(node.name()) != "sheet")
      continue;
    if (i++ == activeTab_)
      for (auto &s : sheets_)
        if (s->Name() == node.attribute("name").value())
          return *s;
  }
  return *sheets_.front();
}

void Workbook::setActiveSheet(const Worksheet &sheet) {
  int index = sheetListIndex(sheet);
  if (index >= 0)
    activeTab_ = index;
}

Name Workbook::Names(std::string_view text) {
  checkOpen();
  std::string sheetName;
  std::string_view name = text;
  if (auto q = splitSheetName(text); q && !q->sheetName.empty()) {
    sheetName = q->sheetName;
    name = q->reference;
  }
  int local = -1;
  if (!sheetName.empty()) {
    local = sheetListIndex(Worksheets(sheetName));
  }
  int active = sheetListIndex(ActiveSheet());
  std::optional<size_t> global, activeLocal, anyLocal;
  for (size_t i = 0; i < xml_->names.size(); ++i) {
    if (!equalsIgnoringCase(xml_->names[i].attribute("name").value(), name))
      continue;
    auto attr = xml_->names[i].attribute("localSheetId");
    if (local >= 0) {
      if (attr && attr.as_int() == local)
        return Name(*this, i);
      continue;
    }
    if (!attr && !global)
      global = i;
    else if (attr && attr.as_int() == active && !activeLocal)
      activeLocal = i;
    else if (attr && !anyLocal)
      anyLocal = i;
  }
  if (global)
    return Name(*this, *global);
  if (activeLocal)
    return Name(*this, *activeLocal);
  if (anyLocal && local < 0)
    return Name(*this, *anyLocal);
  throw SpreadsheetError("The workbook has no defined name \"" + std::string(text) + "\".");
}

int32_t Workbook::NameCount() const {
  checkOpen();
  return static_cast<int32_t>(xml_->names.size());
}

pugi::xml_node WorkbookXml::addDefinedName(std::string_view name) {
  auto root = workbook.document_element();
  auto list = child(root, "definedNames");
  if (!list) {
    pugi::xml_node after = child(root, "externalReferences");
    if (!after)
      after = child(root, "sheets");
    list = root.insert_child_after("definedNames", after);
  }
  auto node = list.append_child("definedName");
  node.append_attribute("name") = std::string(name).c_str();
  names.push_back(node);
  return node;
}

void Workbook::shiftReferencesTo(Worksheet &sheet, const SheetShift &shift) {
  const std::string &target = sheet.Name();
  size_t out = 0;
  for (size_t i = 0; i < crossSheet_.size(); ++i) {
    auto [host, index] = crossSheet_[i];
    Formula &f = host->cells().formula(index);
    if (f.dead)
      continue;
    crossSheet_[out++] = crossSheet_[i];
    if (host != &sheet)
      shiftFormula(f.text, host->Name(), target, shift);
  }
  crossSheet_.resize(out);
  for (auto &other : sheets_)
    if (other.get() != &sheet)
      other->shiftReferencesTo(target, shift);
  for (auto node : xml_->names) {
    std::string text = node.text().get();
    if (shiftFormula(text, "", target, shift))
      node.text().set(text.c_str());
  }
  xml_->charts.shiftReferencesTo(package_, contentTypes_, target, shift);
}

void Workbook::RunAutoMacros(int) { checkOpen(); }

void Workbook::SaveAs(const std::string &path, std::optional<int> fileFormat) {
  checkOpen();
  int code = fileFormat ? *fileFormat : formatForExtension(path, fileFormat_);
  auto format = saveFormat(code);
  if (!format)
    throw SpreadsheetError("The workbook engine cannot save in the file format " +
                           std::to_string(code) + ".");
  // Every format carries the formulas' results: computed now, as the spreadsheet computes
  // before it saves.
  calculation_ = calculateWorkbook(*this, currentDateSerial(date1904_));
  if (format->kind == SaveKind::Workbook)
    saveWorkbook(path, code);
  else if (format->kind == SaveKind::Converted)
    saveConverted(path, *format);
  else
    exportText(ActiveSheet(), *format, path);
  path_ = path;
  fileFormat_ = code;
}

void Workbook::saveConverted(const std::string &path, const SaveFormat &format) {
  ConversionRequest request;
  request.writeWorkbook = [this](const std::string &xlsx) {
    saveWorkbook(xlsx, xlFileFormat::xlOpenXMLWorkbook);
  };
  request.outputPath = path;
  request.extension = format.extension;
  request.filter = format.filter;
  request.program = app_->ConverterProgram();
  request.timeoutSeconds = app_->ConversionTimeout();
  convertWithLibreOffice(request);
}

void Workbook::saveWorkbook(const std::string &path, int code) {
  auto format = *saveFormat(code);
  auto root = xml_->workbook.document_element();
  const Application &app = *app_;
  bool recalc =
      app.Calculation() == xlCalculation::xlCalculationAutomatic || app.CalculateBeforeSave();

  // Calculation: the saved values are ours; clients still recalculate on opening.
  auto calcPr = child(root, "calcPr");
  if (!calcPr) {
    pugi::xml_node after;
    for (auto name : {"definedNames", "externalReferences", "functionGroups", "sheets"})
      if ((after = child(root, name)))
        break;
    calcPr = root.insert_child_after("calcPr", after);
  }
  auto setAttr = [](pugi::xml_node n, const char *name, const char *value) {
    auto a = n.attribute(name);
    if (!a)
      a = n.append_attribute(name);
    a.set_value(value);
  };
  if (recalc)
    setAttr(calcPr, "fullCalcOnLoad", "1");
  if (app.Calculation() == xlCalculation::xlCalculationManual)
    setAttr(calcPr, "calcMode", "manual");
  else
    calcPr.remove_attribute("calcMode");

  // The active sheet, and only that one selected.
  if (auto views = child(root, "bookViews"))
    if (auto view = child(views, "workbookView"))
      setAttr(view, "activeTab", std::to_string(activeTab_).c_str());
  for (auto &sheet : sheets_) {
    bool active = sheetListIndex(*sheet) == activeTab_;
    for (auto v : child(sheet->xml().root(), "sheetViews").children()) {
      if (localName(v.name()) != "sheetView")
        continue;
      if (active)
        setAttr(v, "tabSelected", "1");
      else
        v.remove_attribute("tabSelected");
    }
  }

  // Parts that belong to sheets (drawings, pictures, tables) and charts that moved.
  for (auto &sheet : sheets_)
    if (sheet->loaded())
      sheet->saveParts();
  xml_->charts.save(package_);

  contentTypes_.overrides[workbookPart_] = std::string(workbookContentType(code));

  // Macros go only into macro-enabled files.
  if (!format.macroEnabled) {
    while (const Relationship *vba = workbookRels_.byType(kVbaProject)) {
      std::string part = Package::resolveTarget(workbookPart_, vba->target);
      for (const auto &r : package_.relationshipsOf(part).items)
        if (!r.external) {
          std::string sub = Package::resolveTarget(part, r.target);
          package_.remove(sub);
          contentTypes_.overrides.erase(sub);
        }
      package_.remove(Package::relsNameOf(part));
      package_.remove(part);
      contentTypes_.overrides.erase(part);
      workbookRels_.removeById(std::string(vba->id));
    }
    if (auto it = contentTypes_.defaults.find("bin");
        it != contentTypes_.defaults.end() && it->second == "application/vnd.ms-office.vbaProject")
      contentTypes_.defaults.erase(it);
  }

  // The calculation chain would be stale: clients rebuild it.
  for (size_t i = 0; i < workbookRels_.items.size();) {
    const auto &rel = workbookRels_.items[i];
    if (rel.type.ends_with("/calcChain")) {
      std::string part = Package::resolveTarget(workbookPart_, rel.target);
      package_.remove(part);
      contentTypes_.overrides.erase(part);
      workbookRels_.items.erase(workbookRels_.items.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }

  std::string folder = workbookPart_.substr(0, workbookPart_.rfind('/') + 1);
  if (sharedStringsPart_.empty() && strings_.size() > 0) {
    sharedStringsPart_ = folder + "sharedStrings.xml";
    workbookRels_.add(std::string(kRelNs) + "sharedStrings",
                      Package::relativeTarget(workbookPart_, sharedStringsPart_));
    contentTypes_.overrides[sharedStringsPart_] = kSharedStringsType;
  }
  if (styles_->modified()) {
    if (stylesPart_.empty()) {
      stylesPart_ = folder + "styles.xml";
      workbookRels_.add(std::string(kRelNs) + "styles",
                        Package::relativeTarget(workbookPart_, stylesPart_));
      contentTypes_.overrides[stylesPart_] = kStylesType;
    }
    package_.write(stylesPart_, styles_->serialize());
  }
  if (!contentTypes_.defaults.count("rels"))
    contentTypes_.defaults["rels"] = "application/vnd.openxmlformats-package.relationships+xml";
  if (!contentTypes_.defaults.count("xml"))
    contentTypes_.defaults["xml"] = "application/xml";

  package_.write(workbookPart_, xmlToString(xml_->workbook));
  package_.write(Package::relsNameOf(workbookPart_), workbookRels_.serialize());
  package_.write("[Content_Types].xml", contentTypes_.serialize());

  std::map<std::string, ZipWriter::Producer> generated;
  for (auto &sheet : sheets_) {
    Worksheet *s = sheet.get();
    generated[s->partName()] = [s](const std::function<void(std::string_view)> &write) {
      s->writePart(write);
    };
  }
  if (!sharedStringsPart_.empty())
    generated[sharedStringsPart_] = [this](const std::function<void(std::string_view)> &write) {
      strings_.write(write);
    };
  package_.save(path, generated);
}

void Workbook::Close() {
  if (closed_)
    return;
  closed_ = true;
  crossSheet_.clear();
  xml_->charts.clear();
  sheets_.clear();
  xml_->names.clear();
  package_ = Package();
}

} // namespace brevant
