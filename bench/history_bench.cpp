// The record of breaks: one event written to verlauf.sqlite on the real disk (a folder beside
// the working directory, not a tmpfs), and the window "Verlauf" opened on a year of events
// (about 20 000 rows): the file read, the days summed, the window laid out and painted once.
#include "history/Database.h"
#include "history/HistoryWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

QString diskFolder() {
    return QDir::currentPath() + QStringLiteral("/history-bench-XXXXXX");
}

void BM_WriteOneEvent(benchmark::State& state) {
    QTemporaryDir dir(diskFolder());
    hist::Database::Opening o =
        hist::Database::open(dir.filePath(QStringLiteral("verlauf.sqlite")));
    if (!o.database) {
        state.SkipWithError("no record");
        return;
    }
    const hist::Run run{QDateTime::currentDateTime(), 1, 240, true, false};
    std::vector<double> us;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(o.database->add(run));
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::nth_element(us.begin(), us.begin() + long(us.size() / 2), us.end());
    state.counters["median_us"] = us[us.size() / 2];
}
BENCHMARK(BM_WriteOneEvent)->Unit(benchmark::kMicrosecond);

// A year of a diligent user: twenty runs, twenty-five prompts and ten breaks or pauses a day.
void fillYear(hist::Database& db, const QDate& today) {
    for (int day = 365; day >= 0; --day) {
        const QDateTime morning(today.addDays(-day), QTime(8, 0));
        for (int i = 0; i < 20; ++i)
            db.add(hist::Run{morning.addSecs(i * 1800), i % 4, 120 + 30 * (i % 5), i % 3 != 0,
                             i % 2 == 0});
        for (int i = 0; i < 25; ++i)
            db.add(hist::PromptRow{morning.addSecs(i * 1200), i % 3 == 0, 1 + i % 3, i % 4 == 0});
        for (int i = 0; i < 10; ++i)
            db.add(hist::BreakRow{morning.addSecs(i * 3000 + 600), i % 2, 600});
    }
}

void BM_OpenWindowWithAYear(benchmark::State& state) {
    QTemporaryDir dir(diskFolder());
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    const QDate today = QDate::currentDate();
    {
        hist::Database::Opening o = hist::Database::open(path);
        if (!o.database) {
            state.SkipWithError("no record");
            return;
        }
        fillYear(*o.database, today);
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        hist::Database::Opening o = hist::Database::open(path);
        hist::Entries entries = o.database->readAll();
        rows = entries.runs.size() + entries.prompts.size() + entries.breaks.size();
        hist::HistoryWindow window(std::move(entries), today);
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_OpenWindowWithAYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
