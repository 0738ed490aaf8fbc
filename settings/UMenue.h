#pragma once

#include "runtime/Form.h"
#include "runtime/Timer.h"

#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QLineEdit;
class QTabWidget;
class UDaten;
struct TSettings;
namespace rt {
class Clock;
class CheckBox;
class Panel;
class SpinField;
} // namespace rt

// The settings window: the sound and text switches, the clock, the reminder times and the quick
// start on the first page; the lengths and repetitions of the four sequences on the others, each
// with its running total, buttons for whole columns and a small stopwatch. Every change goes
// into the settings at once; the file is written when the window closes.
class TFMenue {
public:
    TFMenue(UDaten& daten, rt::Clock& clock);
    ~TFMenue();
    TFMenue(const TFMenue&) = delete;
    TFMenue& operator=(const TFMenue&) = delete;

    // Opens the window modally: fills it from the file, and returns once it is closed.
    void ShowModal();

    void FormCreate();
    // The filling on opening. Runs once per opening, not when the open window is activated
    // again (after one of its own message boxes), so nothing changed in it is lost.
    void FormActivate();
    void FormClose();

    void AtmSumme();
    void YogSumme();
    void AugSumme();
    void EntSumme();

    void Button1Click(); // "Start" of the stopwatch, on every page
    void Button2Click(); // "Stop"
    void TimerStoppUhrTimer();
    void BitBtn1Click(); // "Reset"

    // A spin field, a column button or a check box by its name ("SEAtm1m", "BYogaPLus").
    rt::SpinField* Field(const QString& name) const;
    QWidget* Button(const QString& name) const;
    rt::CheckBox* Box(const QString& name) const;
    // The two total fields of a page (1 .. 4): minutes and seconds as shown.
    QString TotalMinutes(int page) const;
    QString TotalSeconds(int page) const;
    // The stopwatch display of a page (1 .. 4).
    rt::Panel* StopwatchDisplay(int page) const;

    // How the window asks and warns; message boxes unless replaced (tests).
    std::function<void(const QString&)> Warn;
    // Opens the window "Weitere Einstellungen" over this one; without it the button is disabled.
    std::function<void(QWidget* parent)> OnMoreSettings;
    std::function<bool(const QString&)> Confirm;

    rt::Form* Form = nullptr;
    QTabWidget* TNB1 = nullptr;
    rt::Timer TimerStoppUhr{500};
    // The stopwatch's start, in seconds of the day.
    std::int64_t StopwatchStart = 0;
    // 1 after the user confirmed a reset to the defaults in the last showing.
    std::uint8_t ResetDone = 0;

    // The window's tables: what a control is called, its spin fields and its column buttons.
    struct Said;
    struct FieldRow;
    struct ColumnButton;

private:
    void FitClientArea();
    void CreatePage0(QWidget* page);
    void CreateExercisePage(QWidget* page, int index);
    void CreateStopwatch(QWidget* page, int index, int left, int top);
    void FieldChanged(const FieldRow& row);
    void Total(int page);
    void StepColumn(const ColumnButton& button);
    void ShowStopwatch(int page, const QString& reading);
    TSettings& S();

    UDaten& daten_;
    rt::Clock& clock_;
    bool open_ = false;
    QHash<QString, rt::SpinField*> fields_; // by name

    std::vector<std::pair<QString, QWidget*>> buttons_;
    std::vector<std::pair<QString, rt::CheckBox*>> boxes_;
    std::array<QLineEdit*, 5> sumM_{};
    std::array<QLineEdit*, 5> sumS_{};
    std::array<rt::Panel*, 5> stopwatch_{};
};
