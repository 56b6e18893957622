// pikora-artgen: draws the built-in pictures (title, icon) and the sample
// story's pictures. Run with QT_QPA_PLATFORM=offscreen; tools/make-story
// drives it. Output is deterministic: the same build writes the same bytes.

#include "Builtins.h"
#include "BmpWriter.h"
#include "Quantise.h"
#include "Story.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

void writeResources(const QString &dir)
{
    using namespace artgen;
    QDir().mkpath(dir);
    const IndexedImage title = titlePicture();
    const QByteArray bmp = encodeBmp8(title, true); // two colours in long runs: RLE8 is a tenth of the size
    // Our encoder against Qt's decoder: a cheap guard for the header fields.
    if (QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32) != expand(title))
        throw std::runtime_error("title.bmp does not decode to what was drawn");
    writeFile(dir + QStringLiteral("/title.bmp"), bmp);

    const QImage icon = iconPicture();
    QImageWriter png(dir + QStringLiteral("/icon.png"), "png");
    if (!png.write(icon))
        throw std::runtime_error("cannot write icon.png: " + png.errorString().toStdString());
    // The window icon as the program reads it: Qt's built-in BMP reader needs
    // neither a decompressor nor a plug-in.
    const QByteArray iconBmp = encodeBmp32Alpha(icon);
    if (QImage::fromData(iconBmp, "BMP").convertToFormat(QImage::Format_ARGB32)
        != icon.convertToFormat(QImage::Format_ARGB32))
        throw std::runtime_error("icon.bmp does not decode to what was drawn");
    writeFile(dir + QStringLiteral("/icon.bmp"), iconBmp);
    writeFile(dir + QStringLiteral("/icon.svg"), iconSvg());
}

void usage()
{
    std::fputs("usage: pikora-artgen [--resources DIR] [--story DIR]\n", stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0) {
        usage();
        return 2;
    }
    try {
        for (qsizetype i = 0; i < args.size(); i += 2) {
            if (args[i] == QLatin1String("--resources"))
                writeResources(args[i + 1]);
            else if (args[i] == QLatin1String("--story"))
                artgen::writeStoryPictures(args[i + 1]);
            else {
                usage();
                return 2;
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pikora-artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
