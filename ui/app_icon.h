// The application icon: a 32 x 32 and a 16 x 16 image of 16 colours.
#pragma once

#include <QIcon>

namespace mixconv::ui {

inline constexpr int kLargeIconSize = 32;

QIcon AppIcon();

}  // namespace mixconv::ui
