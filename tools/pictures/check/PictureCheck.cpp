// Checks the pictures in the data folder against what the program relies on: every picture
// the program loads is there, each keeps its pixel contracts (keyed backgrounds, the body
// picture's colours, the face picture's eyes), and the files match the generator's manifest.
//
//   quillet_picturecheck <data folder> <manifest>      check the files
//   quillet_picturecheck --self-test                    check that the checks catch faults

#include "Contracts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <map>

using namespace pic;

namespace {

// Finds a path below `base` with every component matched regardless of case, as the program
// does.
QString resolve(const QString& base, const QString& relative) {
    QString current = base;
    const QStringList parts = QString(relative)
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QStringList entries =
            QDir(current).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString match;
        for (const QString& e : entries)
            if (e.compare(part, Qt::CaseInsensitive) == 0) {
                match = e;
                break;
            }
        if (match.isEmpty())
            return {};
        current = QDir(current).filePath(match);
    }
    return current;
}

int checkFiles(const QString& dataArg, const QString& manifestPath) {
    QStringList problems;
    const QString dataDir = QFileInfo(dataArg).absoluteFilePath();
    const QDir data(dataDir);
    const QDir root = QFileInfo(data.absolutePath()).dir();
    std::map<QString, QImage> images; // by canonical path

    for (const QString& programPath : programPictures()) {
        const QString file = resolve(dataDir, programPath);
        if (file.isEmpty() || !QFileInfo(file).isFile()) {
            problems << QStringLiteral("missing: %1").arg(programPath);
            continue;
        }
        const QImage img(file);
        const QString repoPath = QStringLiteral("data/") + data.relativeFilePath(file);
        problems += checkPicture(repoPath, img);
        images[canonical(programPath)] = img;
    }
    // The "Yoga" folder is named both ways by the program; both must find the files.
    for (const char* spelling :
         {"Pictures\\Yoga\\p1\\yoga121.jpg", "Pictures\\yoga\\p1\\yoga121.jpg"})
        if (resolve(dataDir, QLatin1String(spelling)).isEmpty())
            problems << QStringLiteral("not found as spelled: %1").arg(QLatin1String(spelling));
    problems += checkPair(images[canonical(QStringLiteral("Pictures\\Entsp\\body.bmp"))],
                          images[canonical(QStringLiteral("Pictures\\Entsp\\entsp11.jpg"))]);

    // The manifest: every file listed is there with its size, and nothing else is in
    // data/Pictures.
    QFile manifest(manifestPath);
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        problems << QStringLiteral("cannot read the manifest %1").arg(manifestPath);
    } else {
        QTextStream in(&manifest);
        QSet<QString> listed;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (f.size() != 4) {
                problems << QStringLiteral("manifest: bad line \"%1\"").arg(line);
                continue;
            }
            listed.insert(f[0]);
            const QString file = root.filePath(f[0]);
            const QImage img(file);
            if (img.isNull()) {
                problems << QStringLiteral("%1: listed but cannot be read").arg(f[0]);
                continue;
            }
            if (img.width() != f[1].toInt() || img.height() != f[2].toInt())
                problems << QStringLiteral("%1: %2 x %3, the manifest says %4 x %5")
                                .arg(f[0])
                                .arg(img.width())
                                .arg(img.height())
                                .arg(f[1], f[2]);
            if (!f[0].startsWith(QLatin1String("data/")))
                problems += checkPicture(f[0], img);
        }
        QDirIterator it(data.filePath(QStringLiteral("Pictures")), QDir::Files,
                        QDirIterator::Subdirectories);
        qint64 total = 0;
        while (it.hasNext()) {
            const QString file = it.next();
            total += QFileInfo(file).size();
            const QString rel = QStringLiteral("data/") + data.relativeFilePath(file);
            if (!listed.contains(rel))
                problems << QStringLiteral("%1: not made by the generator").arg(rel);
        }
        if (total > 40ll * 1024 * 1024)
            problems << QStringLiteral("data/Pictures holds %1 MB, more than 40 MB")
                            .arg(total / 1048576.0, 0, 'f', 1);
    }
    for (const QString& p : problems)
        std::fprintf(stderr, "%s\n", qPrintable(p));
    if (problems.isEmpty())
        std::printf("%lld program pictures keep their contracts\n",
                    static_cast<long long>(programPictures().size()));
    return problems.isEmpty() ? 0 : 1;
}

// ---- self test: each check must notice the fault it is there for.

QImage goodBody() {
    QImage img(204, 492, QImage::Format_RGB32);
    img.fill(QColor(40, 40, 80));
    for (const SampleRect& s : bodySampleRects())
        for (int y = s.rect.top(); y <= s.rect.bottom(); ++y)
            for (int x = s.rect.left(); x <= s.rect.right(); ++x)
                img.setPixel(x, y, qRgb(246, 228, 200));
    return img;
}

// A body drawn as the generator draws it: an oval head in its rectangle, and lines of another
// colour where the arms lie against the trunk and the legs against each other.
QImage drawnBody() {
    QImage img = goodBody();
    const QRect head = QRect(QPoint(66, 6), QPoint(134, 58));
    const QPointF centre = QRectF(head).center();
    for (int y = head.top(); y <= head.bottom(); ++y)
        for (int x = head.left(); x <= head.right(); ++x)
            if (std::hypot((x + 0.5 - centre.x()) / (head.width() / 2.0),
                           (y + 0.5 - centre.y()) / (head.height() / 2.0)) > 1)
                img.setPixel(x, y, qRgb(40, 40, 80));
    const QRgb line = qRgb(170, 122, 94);
    for (int y = 95; y <= 284; ++y) {
        img.setPixel(49, y, line);
        img.setPixel(154, y, line);
    }
    for (int y = 240; y <= 484; ++y)
        img.setPixel(y < 364 ? 98 : 97, y, line);
    return img;
}

// Paints part of a body picture in the background colour.
void clear(QImage& img, const QRect& part) {
    QPainter p(&img);
    p.fillRect(part, QColor(40, 40, 80));
}

QImage goodIcon() {
    QImage img(26, 26, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    for (int y = 8; y < 18; ++y)
        for (int x = 8; x < 18; ++x)
            img.setPixel(x, y, qRgb(60, 120, 110));
    return img;
}

QImage goodFace() {
    QImage img(1024, 768, QImage::Format_RGB32);
    img.fill(QColor(236, 228, 214));
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 165));
    p.drawEllipse(QPointF(501.5, 345), 34, 46);
    p.setBrush(QColor(50, 38, 30));
    p.drawEllipse(QPointF(490.5, 336.5), 3, 4);
    p.drawEllipse(QPointF(513.5, 336.5), 3, 4);
    return img;
}

int selfTest() {
    int failures = 0;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "self test failed: %s\n", what);
            ++failures;
        }
    };
    const QString body = QStringLiteral("data/Pictures/Entsp/body.bmp");
    const QString icon = QStringLiteral("data/Pictures/Icons/uhr.bmp");
    const QString face = QStringLiteral("data/Pictures/Augen/augen.bmp");

    expect(checkPicture(body, goodBody()).isEmpty(), "a good body picture passes");
    expect(checkPicture(body, drawnBody()).isEmpty(),
           "an oval head and lines between the limbs pass");
    QImage b = drawnBody();
    b.setPixel(134, 6, qRgb(40, 40, 80));    // the head rectangle's far corner left out
    b.setPixel(8, 284, qRgb(245, 228, 200)); // one pixel one step off, in the left arm
    expect(checkPicture(body, b).isEmpty(), "single pixels of another colour pass");
    b = drawnBody();
    for (int y = 82; y <= 284; ++y)
        for (int x = 8; x <= 49; ++x)
            if (b.pixel(x, y) == qRgb(246, 228, 200))
                b.setPixel(x, y, qRgb(245, 228, 200));
    QStringList found = checkPicture(body, b);
    expect(found.size() == 1 && found.filter(QStringLiteral("left arm rectangle")).size() == 1,
           "an arm one step off the body colour is found, and only that rectangle");
    b = drawnBody();
    clear(b, QRect(QPoint(66, 6), QPoint(134, 58)));
    b.setPixel(kBodySample, qRgb(246, 228, 200));
    clear(b, QRect(QPoint(60, 364), QPoint(97, 484)));
    found = checkPicture(body, b);
    expect(found.size() == 2 && found.filter(QStringLiteral("head rectangle")).size() == 1 &&
               found.filter(QStringLiteral("left foot and lower leg rectangle")).size() == 1,
           "rectangles that miss the body are found");
    b = goodBody();
    clear(b, QRect(QPoint(66, 6), QPoint(91, 58)));    // the head's left three eighths
    clear(b, QRect(QPoint(44, 314), QPoint(98, 363))); // two fifths of the left thigh
    found = checkPicture(body, b);
    expect(found.size() == 1 && found.filter(QStringLiteral("left thigh")).size() == 1,
           "a head may leave more of its rectangle free than a thigh");
    b = drawnBody();
    b.setPixel(kBodySample, qRgb(170, 122, 94)); // a line through the sample pixel
    expect(checkPicture(body, b).size() >= 10, "a sample pixel off the body is found");
    b = goodBody();
    b.setPixel(30, 300, qRgb(246, 228, 200)); // below the left hand, in no rectangle
    expect(!checkPicture(body, b).isEmpty(),
           "a body-coloured pixel outside the sample rectangles is found");
    b = goodBody();
    b.setPixel(7, 150, qRgb(246, 228, 200));   // just left of the left arm
    b.setPixel(196, 150, qRgb(246, 228, 200)); // just right of the right arm
    expect(checkPicture(body, b).filter(QStringLiteral("2 body-coloured pixels")).size() == 1,
           "body-coloured pixels right beside a rectangle are counted");
    b = goodBody();
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == qRgb(246, 228, 200))
                b.setPixel(x, y, qRgb(30, 190, 240));
    expect(!checkPicture(body, b).isEmpty(), "a body colour close to the fill colour is found");
    expect(!checkPicture(body, QImage(150, 400, QImage::Format_RGB32)).isEmpty(),
           "a body picture too small for the rectangles is found");

    expect(checkPicture(icon, goodIcon()).isEmpty(), "a good icon passes");
    QImage i = goodIcon();
    i.setPixel(7, 12, qRgb(230, 40, 230)); // a soft edge blended into the key colour
    expect(!checkPicture(icon, i).isEmpty(), "a fringe near the key colour is found");
    i = goodIcon();
    i.setPixel(25, 0, qRgb(60, 120, 110));
    expect(!checkPicture(icon, i).isEmpty(), "a corner that is not the key colour is found");
    expect(!checkPicture(icon, goodIcon().scaled(24, 24)).isEmpty(), "a wrong icon size is found");

    expect(checkPicture(face, goodFace()).isEmpty(), "a good face picture passes");
    QImage f = goodFace();
    {
        QPainter p(&f);
        p.fillRect(QRect(480, 326, 20, 20), QColor(240, 200, 165));
    }
    expect(!checkPicture(face, f).isEmpty(), "a face without an eye at the eye point is found");
    f = goodFace();
    {
        QPainter p(&f);
        p.fillRect(QRect(0, 0, 470, 768), QColor(128, 128, 128)); // lines would vanish here
    }
    expect(!checkPicture(face, f).isEmpty(), "a mid-grey background under the lines is found");
    f = goodFace();
    {
        QPainter p(&f);
        p.fillRect(QRect(100, 405, 300, 15), QColor(250, 10, 10)); // red under the guide
    }
    expect(!checkPicture(face, f).isEmpty(), "red under the red guide line is found");

    // A mantra picture whose caption runs into the edge.
    const QString mantra = QStringLiteral("data/Pictures/Augen/mantra.jpg");
    QImage m(kBoardPicture, QImage::Format_RGB32);
    m.fill(QColor(236, 228, 214));
    {
        QPainter p(&m);
        p.fillRect(QRect(60, 30, 900, 40), kCaptionInk);
    }
    expect(checkPicture(mantra, m).isEmpty(), "a caption inside its margins passes");
    {
        QPainter p(&m);
        p.fillRect(QRect(4, 30, 10, 40), kCaptionInk);
    }
    expect(!checkPicture(mantra, m).isEmpty(), "a caption at the left edge is found");

    // A body picture whose background does not continue the board picture behind it.
    QImage sky(1280, 720, QImage::Format_RGB32);
    sky.fill(QColor(40, 40, 80));
    expect(checkPair(goodBody(), sky).isEmpty(), "a matching background passes");
    sky.fill(QColor(200, 120, 90));
    expect(!checkPair(goodBody(), sky).isEmpty(), "a mismatching background is found");

    std::vector<Written> none;
    expect(checkComplete(none).size() == programPictures().size(),
           "every missing picture is reported");
    if (failures == 0)
        std::printf("self test passed\n");
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--self-test")
        return selfTest();
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillet_picturecheck <data folder> <manifest>\n"
                             "       quillet_picturecheck --self-test\n");
        return 2;
    }
    return checkFiles(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
}
