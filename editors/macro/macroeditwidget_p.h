#pragma once

// What the macro page's source files share: play types, button codes,
// limits and analytics names.

#include "config/paths.h"

#include <QSize>
#include <QString>

namespace macropage {
// Play types of the macro file ("MacroType").
inline constexpr int kPlayLoopCount = 0;
inline constexpr int kPlayUntilPressedAgain = 2;
inline constexpr int kPlayWhileHeld = 4;

// Codes of the three on-screen mouse buttons.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

inline constexpr int kShortEventBytes = 3;
inline constexpr int kMaxTypedDelayMs = 9999;
inline constexpr int kMaxRepeatTimes = 65533;
// A node of a hand edit comes with this delay.
inline constexpr int kEditNodeDelay = 1;

inline const QSize kEventRowSize(198, 28);

inline constexpr char kUiEventCategory[] = "UI事件";
inline constexpr char kOperationCategory[] = "操作事件";
inline constexpr char kViewScreen[] = "宏页面";

inline QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

inline QString userFolder()
{
    return getPlayerCustomDir();
}
} // namespace macropage
