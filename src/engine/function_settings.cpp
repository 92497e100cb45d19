#include "engine/function_settings.h"

namespace brevant {

namespace {

std::string capacityMessage(std::string_view parameter, int limit) {
  return "The parameter \"" + std::string(parameter) + "\" can not have more than " +
         std::to_string(limit) + " values in one function.";
}

} // namespace

void FunctionSettings::reset(std::string_view label) {
  FunctionSettings fresh;
  fresh.functionLabel = std::string(label);
  fresh.functionHeader = "[" + fresh.functionLabel + "]    ";
  // Keep the buffers the previous function grew; a long script reuses them.
  fresh.targets = std::move(targets);
  fresh.targets.clear();
  fresh.images = std::move(images);
  fresh.images.clear();
  for (int level = 0; level < kMaxGroupLevels; ++level) {
    fresh.groupFields[level] = std::move(groupFields[level]);
    fresh.groupFields[level].clear();
  }
  *this = std::move(fresh);
}

void FunctionSettings::addName(std::string_view value) {
  if (targets.size() >= static_cast<size_t>(kMaxTargets))
    throw FunctionSettingsFull(capacityMessage("NAME", kMaxTargets));
  targets.emplace_back(value);
  ++nameCount;
}

void FunctionSettings::addCell(std::string_view value) {
  if (targets.size() >= static_cast<size_t>(kMaxTargets))
    throw FunctionSettingsFull(capacityMessage("CELL", kMaxTargets));
  targets.emplace_back(value);
  ++cellCount;
}

bool FunctionSettings::openGroupLevel() {
  if (groupCount >= kMaxGroupLevels)
    return false;
  const int level = groupCount++;
  groupFieldCount[level] = 0;
  groupFields[level].clear();
  groupRanges[level].clear();
  return true;
}

void FunctionSettings::addGroupField(std::string_view field) {
  if (groupCount < 1)
    throw std::runtime_error("A group field was given before any GROUP parameter.");
  const int level = groupCount - 1;
  if (groupFieldCount[level] >= kMaxGroupFields)
    throw FunctionSettingsFull(capacityMessage("GROUP", kMaxGroupFields));
  groupFields[level].emplace_back(field);
  ++groupFieldCount[level];
  groupRanges[level].clear();
  fixedLayout = 0;
}

void FunctionSettings::addImage(std::string_view value) {
  if (images.size() >= static_cast<size_t>(kMaxImages))
    throw FunctionSettingsFull(capacityMessage("IMAGE", kMaxImages));
  images.emplace_back(value);
  ++imageCount;
}

void FunctionSettings::addPageBreak(std::string_view value) {
  if (!pageBreakText.empty())
    pageBreakText += ',';
  pageBreakText += value;
}

} // namespace brevant
