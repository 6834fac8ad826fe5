#pragma once
// The program's style sheets name one font family, "微软雅黑". Where that family is not
// installed, install() maps it onto the CJK sans families that are, so that Chinese and
// Latin glyphs come from one font (and numeric weights such as "75" do not pick a thin
// Latin face). Call it once after the application object exists; calling again is harmless.

#include <QString>

namespace housefont {
QString family();
void install();
} // namespace housefont
