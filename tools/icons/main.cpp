// vantora-icons --out DIR: writes the program's icon as PNG files laid out like an icon theme,
// DIR/<n>x<n>/apps/vantora.png for every size the icon is drawn at, for the desktop menu.

#include "Artwork.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("out"), QStringLiteral("Theme folder to write into."),
                        QStringLiteral("DIR")}});
    parser.process(app);
    const QString out = parser.value(QStringLiteral("out"));
    if (out.isEmpty()) {
        std::fprintf(stderr, "vantora-icons: --out DIR is required\n");
        return 2;
    }

    const QIcon icon = Artwork::programIcon();
    // 22 pixels is a usual panel size the icon is not drawn at; it is scaled from 24.
    QList<QSize> sizes = icon.availableSizes();
    sizes.append(QSize(22, 22));
    for (const QSize& size : sizes) {
        const QString folder =
            QStringLiteral("%1/%2x%3/apps").arg(out).arg(size.width()).arg(size.height());
        const QPixmap pixmap = icon.pixmap(size, 1.0);
        if (!QDir().mkpath(folder) || pixmap.size() != size ||
            !pixmap.save(folder + QStringLiteral("/vantora.png"))) {
            std::fprintf(stderr, "vantora-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
