// Writes the numbered bitmaps that reports print ("Main Images/1.bmp", …)
// into the folder given, one subfolder per image list. Run at build time.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "ui/images/ImageList.h"

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const QDir program(QString::fromLocal8Bit(argv[1]));
    for (const auto& [folder, list] : ui::kReportImageFolders) {
        const QString name = QString::fromLatin1(folder);
        if (!program.mkpath(name)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(program.filePath(name)));
            return 1;
        }
        const auto glyphs = ui::imageListGlyphs(QString::fromLatin1(list));
        for (size_t i = 0; i < glyphs.size(); ++i) {
            // Bitmaps have no transparency: the pictures stand on white, as
            // the report's cells are.
            const QImage image =
                ui::glyphImage(glyphs[i], 1, Qt::white).convertToFormat(QImage::Format_RGB32);
            const QString file =
                program.filePath(name + u"/"_s + QString::number(i + 1) + u".bmp"_s);
            if (!image.save(file, "BMP")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
