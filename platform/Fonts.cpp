#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {
QString SystemFontFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char *candidate : {"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"}) {
            const QString name = QString::fromLatin1(candidate);
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QString();
    }();
    return family;
}
}  // namespace

QFont ResolveFont(const QString &name, int size, bool sizeIsPixels)
{
    QFont font;
    if (name.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0) {
        const QString family = SystemFontFamily();
        if (family.isEmpty()) {
            font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        } else {
            font = QFont(family);
            font.setStyleHint(QFont::Monospace);
            font.setFixedPitch(true);
        }
    } else {
        font = QFont(name);
    }
    if (size < 0) {
        sizeIsPixels = true;
        size = -size;
    }
    if (size > 0) {
        if (sizeIsPixels)
            font.setPixelSize(size);
        else
            font.setPointSize(size);
    }
    return font;
}
