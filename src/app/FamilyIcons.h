#pragma once

#include <QPixmap>

#include "families/FamilyRegistry.h"

namespace zandro {

// The pictures of the family buttons and the About window, drawn by the program itself: a chip
// package with the family's short name.
QPixmap familyIcon(const FamilyIconStyle& style, int size = 96);
QPixmap aboutPicture(int width, int height);

}  // namespace zandro
