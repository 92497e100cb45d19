#pragma once
// A formula read into a tree, stored flat: the nodes in one vector, each node's operands a run
// of indexes in a second vector. The root is the last node added.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant {

struct FunctionSpec;

enum class NodeKind : uint8_t {
  Number,
  Text,
  Boolean,
  Error,
  Reference,      // area (sheets already resolved)
  Name,           // text: the name; scopeSheet: the sheet it was qualified with, or -1
  Function,       // text: the name as written; spec: the library's entry, nullptr if none
  Array,          // array: the constant
  Missing,        // an argument left out
  Negate,         // one operand
  Plus,           // unary plus: one operand
  Percent,        // one operand
  Binary,         // op, two operands
  Range,          // ':' between two operands that are references
  Union,          // ',' inside parentheses
  Intersect,      // a space between two references
  TableReference, // text: the table; text2: the bracketed part without the outer brackets
  External,       // a reference into another workbook: cannot be computed
};

enum class BinaryOp : uint8_t {
  Add,
  Subtract,
  Multiply,
  Divide,
  Power,
  Concat,
  Equal,
  NotEqual,
  Less,
  LessEqual,
  Greater,
  GreaterEqual
};

struct FormulaNode {
  NodeKind kind = NodeKind::Number;
  BinaryOp op = BinaryOp::Add;
  bool sheetMissing = false; // a reference to a sheet the workbook does not have
  int32_t scopeSheet = -1;
  uint32_t firstOperand = 0; // into FormulaTree::operands
  uint32_t operandCount = 0;
  double number = 0;
  FormulaError error = FormulaError::Value;
  SheetArea area;
  const FunctionSpec *spec = nullptr;
  std::string text;
  std::string text2;
  ScalarArray array;
};

struct FormulaTree {
  std::vector<FormulaNode> nodes;
  std::vector<uint32_t> operands;

  uint32_t root() const { return static_cast<uint32_t>(nodes.size() - 1); }
  uint32_t operand(const FormulaNode &node, uint32_t i) const {
    return operands[node.firstOperand + i];
  }
  void clear() {
    nodes.clear();
    operands.clear();
  }
};

} // namespace brevant
