#include "widgets/housefont.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace housefont {

QString family() { return QStringLiteral("微软雅黑"); }

void install() {
  static bool done = false;
  if (done) return;
  done = true;
  if (QFontDatabase().families().contains(family())) return;
  QFont::insertSubstitutions(family(), {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                                        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans")});
}

} // namespace housefont
