#include "app/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <cstdio>

namespace pikora {

void substituteDesignFonts()
{
    const QStringList japanese = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                                  QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")};
    QStringList installed;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : japanese) {
        if (families.contains(family, Qt::CaseInsensitive))
            installed << family;
    }
    if (installed.isEmpty()) {
        std::fputs("pikora: no Japanese font is installed (for example fonts-ipafont-gothic); "
                   "Japanese text may not show\n",
                   stderr);
        return;
    }
    for (const QString& designed : {QStringLiteral("System"), QStringLiteral("ＭＳ ゴシック")})
        QFont::insertSubstitutions(designed, installed);
}

} // namespace pikora
