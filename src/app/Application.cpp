#include "app/Application.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

void PrepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Zarvex"));
    QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zarvex"));
    // The window is laid out in fixed pixels, measured against this style's control metrics.
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Drive and file icons where the desktop names no icon theme, or one without them.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/zarvex-%1.png").arg(size);
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zarvex"), icon));
}
