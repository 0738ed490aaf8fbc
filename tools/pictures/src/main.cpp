// The picture generator: draws every picture of the program's data folder and the pictures
// of the window design, writes a manifest and a contact sheet, and checks the pixel
// contracts the program relies on.
//
//   quillet_picturegen --root <repository> [--sheet <png>] [--only <regex>] [--fast]
//   quillet_picturegen --app-icon <folder>      (the desktop icon only, below <folder>/hicolor)

#include "AppIcon.h"
#include "Catalogue.h"
#include "Contracts.h"
#include "Output.h"
#include "Studio.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>

#include <cstdio>

using namespace pic;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption rootOpt(QStringLiteral("root"),
                                     QStringLiteral("Repository root to write into."),
                                     QStringLiteral("dir"));
    const QCommandLineOption sheetOpt(QStringLiteral("sheet"),
                                      QStringLiteral("Where to write the contact sheet."),
                                      QStringLiteral("png"));
    const QCommandLineOption onlyOpt(QStringLiteral("only"),
                                     QStringLiteral("Make only the pictures whose path matches."),
                                     QStringLiteral("regex"));
    const QCommandLineOption fastOpt(QStringLiteral("fast"),
                                     QStringLiteral("Less supersampling, for quick previews."));
    const QCommandLineOption previewOpt(
        QStringLiteral("preview"),
        QStringLiteral("Draw the named poses from three sides into the given png, and stop."),
        QStringLiteral("poses"));
    const QCommandLineOption headOpt(QStringLiteral("preview-head"),
                                     QStringLiteral("Let the preview show the heads close up."));
    const QCommandLineOption appIconOpt(
        QStringLiteral("app-icon"),
        QStringLiteral("Draw the desktop icon in every size below <folder>/hicolor, and stop."),
        QStringLiteral("folder"));
    cli.addOptions({rootOpt, sheetOpt, onlyOpt, fastOpt, previewOpt, headOpt, appIconOpt});
    cli.process(app);
    if (cli.isSet(appIconOpt)) {
        QString error;
        if (!writeAppIcon(cli.value(appIconOpt), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (!cli.isSet(rootOpt)) {
        std::fprintf(stderr, "--root is required\n");
        return 2;
    }
    const QString root = cli.value(rootOpt);

    Context ctx;
    ctx.supersample = cli.isSet(fastOpt) ? 2 : 3;
    QString error;
    if (!ctx.poses.load(QStringLiteral(QUILLET_PICTURES_SOURCE_DIR "/poses.txt"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (cli.isSet(previewOpt)) {
        const QStringList names = cli.value(previewOpt).split(QLatin1Char(','));
        const int cw = 460, ch = 560;
        QImage sheet(cw * 3, ch * int(names.size()), QImage::Format_RGB32);
        const bool big = names.size() <= 3;
        sheet.fill(QColor(0xe8, 0xe2, 0xd6));
        QPainter p(&sheet);
        for (int i = 0; i < names.size(); ++i) {
            const std::string name = names[i].toStdString();
            if (!ctx.poses.has(name)) {
                std::fprintf(stderr, "no pose %s\n", name.c_str());
                return 1;
            }
            const bool standing = ctx.poses.get(name).standing;
            const double yaws[3] = {0, -90, -35};
            for (int k = 0; k < 3; ++k) {
                Camera cam;
                cam.yaw = yaws[k];
                cam.scale = (standing ? 2.4 : 3.3) * (big ? 1.0 : 0.8);
                cam.target = {0, standing ? 95.0 : 80.0, 0};
                if (cli.isSet(headOpt)) {
                    cam.scale = 9;
                    cam.target = {0, standing ? 150.0 : 115.0, 0};
                }
                cam.sx = cw / 2.0;
                cam.sy = ch / 2.0;
                p.drawImage(
                    cw * k, ch * i,
                    shootAlone(ctx.poses.get(name), !standing, cam, ctx.outfit, QSize(cw, ch), 2));
            }
            p.setPen(Qt::black);
            p.drawText(8, ch * i + 16, names[i]);
        }
        p.end();
        sheet.save(cli.value(rootOpt));
        return 0;
    }
    std::vector<Job> jobs;
    addStartJobs(jobs, ctx);
    addAtmenJobs(jobs, ctx);
    addEntspJobs(jobs, ctx);
    addYogaJobs(jobs, ctx);
    addAugenJobs(jobs, ctx);
    addIconJobs(jobs, ctx);
    addDesignJobs(jobs, ctx);
    addStatusJobs(jobs, ctx);

    const bool partial = cli.isSet(onlyOpt);
    const QRegularExpression only(cli.value(onlyOpt));
    std::vector<Written> written;
    for (const Job& job : jobs) {
        if (partial && !only.match(job.path).hasMatch())
            continue;
        QElapsedTimer timer;
        timer.start();
        const QImage image = job.make();
        Written w;
        if (!writePicture(root, job, image, &w, &error)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(job.path), qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "%-44s %5d x %-4d %7lld bytes %6lld ms\n", qPrintable(job.path),
                     w.size.width(), w.size.height(), w.bytes, timer.elapsed());
        written.push_back(std::move(w));
    }
    if (!partial &&
        !writeManifest(QDir(root).filePath(QStringLiteral("tools/pictures/manifest.txt")), written,
                       &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (cli.isSet(sheetOpt)) {
        const QString sheet = cli.value(sheetOpt);
        QDir().mkpath(QFileInfo(sheet).path());
        contactSheet(written).save(sheet);
    }
    // The pixel contracts, checked on the files as written.
    QStringList problems;
    for (const Written& w : written)
        problems += checkPicture(w.path, w.image);
    if (!partial)
        problems += checkComplete(written);
    for (const QString& p : problems)
        std::fprintf(stderr, "CONTRACT: %s\n", qPrintable(p));
    qint64 total = 0;
    for (const Written& w : written)
        total += w.bytes;
    std::fprintf(stderr, "%zu pictures, %.2f MB\n", written.size(), total / 1048576.0);
    return problems.isEmpty() ? 0 : 1;
}
