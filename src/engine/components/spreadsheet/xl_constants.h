#pragma once
// The spreadsheet application's enumeration values that the engine's operations take.

namespace brevant {

namespace xlDirection {
constexpr int xlDown = -4121;
constexpr int xlToRight = -4161;
constexpr int xlUp = -4162;
constexpr int xlToLeft = -4159;
} // namespace xlDirection

namespace xlAutoFillType {
constexpr int xlFillCopy = 1;
} // namespace xlAutoFillType

namespace xlPageBreak {
constexpr int xlPageBreakManual = -4135;
constexpr int xlPageBreakNone = -4142;
} // namespace xlPageBreak

namespace xlPlacement {
constexpr int xlMoveAndSize = 1;
constexpr int xlMove = 2;
constexpr int xlFreeFloating = 3;
} // namespace xlPlacement

} // namespace brevant
