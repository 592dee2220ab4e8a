#include "app/Application.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace {

// Drive and file icons come from the icon theme. Some platforms (a bare X server, the
// offscreen one) name no theme and search no system folder; then the freedesktop default
// theme is used, falling back to Adwaita, from the usual folders.
void UseSystemIconThemes()
{
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList dataFolders =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& folder : dataFolders) {
        const QString icons = folder + QStringLiteral("/icons");
        if (!paths.contains(icons) && QFileInfo(icons).isDir())
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

int gSignalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void CloseOnTerminationSignals(QWidget& window)
{
    if (gSignalPipe[0] < 0 && pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[16];
        while (read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void PrepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Zarvex"));
    QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zarvex"));
    // The window is laid out in fixed pixels, measured against this style's control metrics.
    QApplication::setStyle(QStringLiteral("Fusion"));
    UseSystemIconThemes();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/zarvex-%1.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("zarvex"), icon));
}
