// The record of breaks on the real disk (a folder beside the working directory, not a tmpfs):
// one event written; the record opened after the first frame; the data of the days Verlauf
// shows, read and summed; the window "Verlauf" opened, laid out and painted once; the whole
// record as CSV. The long record is ten years of heavy use (72 rows a day, about 263 000 rows);
// the reference is the same last two weeks in a record that holds nothing else, measured in the
// same run: the ratio tells what the ten years cost.
#include "history/Database.h"
#include "history/HistoryWindow.h"
#include "history/Recorder.h"
#include "history/Summary.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

QString diskFolder() {
    return QDir::currentPath() + QStringLiteral("/history-bench-XXXXXX");
}

// The medians of this run, by benchmark, for the lines at the end.
std::map<std::string, double>& medians() {
    static std::map<std::string, double> m;
    return m;
}

// Runs `work` once per iteration and keeps the median in milliseconds under `name`, with the
// benchmark's argument behind it.
template <typename Work> void timed(benchmark::State& state, const char* name, Work work) {
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::nth_element(ms.begin(), ms.begin() + long(ms.size() / 2), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    medians()[std::string(name) + "/" + std::to_string(state.range(0))] = ms[ms.size() / 2];
}

const QDate kToday = QDate::currentDate();

// Heavy use, every day of `days` up to today: 25 runs, 32 prompts and 15 breaks or pauses.
// Written in one transaction, as no program run would, to make the file quickly.
void fill(const QString& path, int days) {
    hist::Database::open(path); // the schema
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *run = nullptr, *prompt = nullptr, *pause = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO runs(started, sequence, seconds, completed, from_prompt)"
                       " VALUES(?,?,?,?,?)",
                       -1, &run, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO prompts(at, kind, outcome, held) VALUES(?,?,?,?)", -1,
                       &prompt, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO breaks(started, kind, seconds) VALUES(?,?,?)", -1, &pause,
                       nullptr);
    auto text = [](sqlite3_stmt* s, const QDateTime& t) {
        const QByteArray iso = hist::isoTime(t).toUtf8();
        sqlite3_bind_text(s, 1, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
    };
    for (int day = days - 1; day >= 0; --day) {
        const QDateTime morning(kToday.addDays(-day), QTime(7, 0));
        for (int i = 0; i < 25; ++i) {
            text(run, morning.addSecs(i * 1800));
            sqlite3_bind_int(run, 2, i % 4);
            sqlite3_bind_int(run, 3, 120 + 30 * (i % 5));
            sqlite3_bind_int(run, 4, i % 3 != 0);
            sqlite3_bind_int(run, 5, i % 2 == 0);
            sqlite3_step(run);
            sqlite3_reset(run);
        }
        for (int i = 0; i < 32; ++i) {
            text(prompt, morning.addSecs(i * 1400));
            sqlite3_bind_int(prompt, 2, i % 3 == 0);
            sqlite3_bind_int(prompt, 3, 1 + i % 3);
            sqlite3_bind_int(prompt, 4, i % 4 == 0);
            sqlite3_step(prompt);
            sqlite3_reset(prompt);
        }
        for (int i = 0; i < 15; ++i) {
            text(pause, morning.addSecs(i * 3000 + 600));
            sqlite3_bind_int(pause, 2, i % 2);
            sqlite3_bind_int(pause, 3, 600);
            sqlite3_step(pause);
            sqlite3_reset(pause);
        }
    }
    for (sqlite3_stmt* s : {run, prompt, pause})
        sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The records, made once for all benchmarks: ten years, and the reference's two weeks.
struct Records {
    Records() {
        tenYears = dir.filePath(QStringLiteral("ten-years.sqlite"));
        twoWeeks = dir.filePath(QStringLiteral("two-weeks.sqlite"));
        fill(tenYears, 3650);
        fill(twoWeeks, 14);
        std::fprintf(stderr, "ten years: %.1f MB\n", QFileInfo(tenYears).size() / 1e6);
    }
    QTemporaryDir dir{diskFolder()};
    QString tenYears, twoWeeks;
};

const Records& records() {
    static const Records r;
    return r;
}

const QString& recordOf(const benchmark::State& state) {
    return state.range(0) == 0 ? records().twoWeeks : records().tenYears;
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
    timed(state, "write", [&] { benchmark::DoNotOptimize(o.database->add(run)); });
}
BENCHMARK(BM_WriteOneEvent)->Arg(0)->Unit(benchmark::kMicrosecond);

// What the program does after its first frame: the record opened, ready to write.
void BM_OpenRecord(benchmark::State& state) {
    const QString& path = recordOf(state);
    timed(state, "open", [&] {
        hist::Database::Opening o = hist::Database::open(path);
        benchmark::DoNotOptimize(o.database->writable());
    });
}
BENCHMARK(BM_OpenRecord)->Arg(0)->Arg(1)->ArgNames({"tenYears"})->Unit(benchmark::kMillisecond);

// Verlauf's data for the days it shows: the rows of the two weeks read, summed by day, told as
// sentences, the two weeks compared.
void BM_VerlaufData(benchmark::State& state) {
    hist::Database::Opening o = hist::Database::open(recordOf(state));
    std::size_t rows = 0;
    timed(state, "data", [&] {
        hist::Entries e;
        o.database->read(kToday.addDays(-13), kToday, e);
        rows = e.size();
        const std::vector<hist::Day> days = hist::daysBetween(e, kToday.addDays(-13), kToday);
        benchmark::DoNotOptimize(hist::spanSentences(hist::sum(days)));
        benchmark::DoNotOptimize(hist::weekSentence(hist::compareWeeks(e, kToday)));
    });
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_VerlaufData)->Arg(0)->Arg(1)->ArgNames({"tenYears"})->Unit(benchmark::kMillisecond);

// What Ctrl+H cost before: every row of the record read.
void BM_ReadWholeRecord(benchmark::State& state) {
    hist::Database::Opening o = hist::Database::open(recordOf(state));
    std::size_t rows = 0;
    timed(state, "all", [&] {
        hist::Entries e;
        o.database->readAll(e);
        rows = e.size();
    });
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ReadWholeRecord)->Arg(1)->ArgNames({"tenYears"})->Unit(benchmark::kMillisecond);

// Ctrl+H as the program does it: the window made on the recorder, shown and painted once.
void BM_OpenWindow(benchmark::State& state) {
    rt::ManualClock clock;
    rt::RecordingReport report;
    hist::Recorder recorder(clock, report);
    recorder.open(recordOf(state));
    timed(state, "window", [&] {
        hist::HistoryWindow window(recorder);
        window.show();
        benchmark::DoNotOptimize(window.grab());
    });
}
BENCHMARK(BM_OpenWindow)->Arg(0)->Arg(1)->ArgNames({"tenYears"})->Unit(benchmark::kMillisecond);

// "Als CSV speichern …": the whole record read and written as text (not to the disk); the
// program does this on a thread of its own.
void BM_WholeRecordAsCsv(benchmark::State& state) {
    rt::ManualClock clock;
    rt::RecordingReport report;
    hist::Recorder recorder(clock, report);
    recorder.open(recordOf(state));
    timed(state, "csv", [&] {
        benchmark::DoNotOptimize(hist::csv(recorder.everything(), hist::CsvStyle{';', true}));
    });
}
BENCHMARK(BM_WholeRecordAsCsv)->Arg(1)->ArgNames({"tenYears"})->Unit(benchmark::kMillisecond);

void summary() {
    auto line = [](const char* what, const std::string& name, const std::string& reference) {
        const auto& m = medians();
        if (!m.count(name) || !m.count(reference))
            return;
        std::printf("%-44s median %8.3f ms, reference %8.3f ms, ratio %.2f\n", what, m.at(name),
                    m.at(reference), m.at(name) / m.at(reference));
    };
    std::printf("\nTen years against the same two weeks alone (medians of this run):\n");
    line("record opened after the first frame", "open/1", "open/0");
    line("Verlauf's data for the two weeks shown", "data/1", "data/0");
    line("window Verlauf opened and painted", "window/1", "window/0");
    line("every row read (as Ctrl+H did before)", "all/1", "data/1");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    records();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary();
    return 0;
}
