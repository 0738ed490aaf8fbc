#include "desktop/MoreSettings.h"

#include "desktop/Autostart.h"

#include "desktop/Awareness.h"
#include "runtime/Accessibility.h"
#include "runtime/ProgramTexts.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace desk {

namespace {

const QString kNotOffered = QStringLiteral("nicht verfügbar auf diesem Desktop");
const QString kBreaksNote = QStringLiteral("Diese Zeit ohne Tastatur und Maus zählt als Pause.");

// A line of smaller, quieter text below a control, indented like the control's text. The
// program's font is set in pixels, a desktop's in points: whichever it has is made smaller.
QLabel* note(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont f = label->font();
    constexpr double kSmaller = 0.9;
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(1, int(std::lround(f.pixelSize() * kSmaller))));
    else if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * kSmaller);
    label->setFont(f);
    label->setContentsMargins(22, 0, 0, 0);
    return label;
}

QString shown(const QString& what) {
    return what.isEmpty() ? QStringLiteral("nicht verfügbar") : what;
}

// Under Wayland the X server (XWayland) sees only the windows of X11 programs.
bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland" ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

const QString kAddLast = QStringLiteral("Zuletzt aktives Programm &hinzufügen");

// A spin field in a line of text: "before [field] after", the label after it names the field.
QHBoxLayout* fieldRow(QWidget* parent, const QString& before, QSpinBox* field,
                      const QString& after) {
    auto* row = new QHBoxLayout;
    auto* first = new QLabel(before, parent);
    auto* last = new QLabel(after, parent);
    first->setBuddy(field);
    row->addWidget(first);
    row->addWidget(field);
    row->addWidget(last);
    row->addStretch(1);
    return row;
}

} // namespace

DesktopFindings findings(const Awareness& a, const QString& panel) {
    DesktopFindings f;
    f.offers.idleTime = !a.awayName(AwayKind::IdleTime).isEmpty();
    f.offers.fullScreen = !a.holdName(HoldKind::FullScreen).isEmpty();
    f.offers.doNotDisturb = !a.holdName(HoldKind::DoNotDisturb).isEmpty();
    f.offers.inhibitors = !a.holdName(HoldKind::Inhibitor).isEmpty();
    f.offers.calls = !a.holdName(HoldKind::Call).isEmpty();
    f.offers.programs = !a.holdName(HoldKind::Program).isEmpty();
    f.offers.panel = !panel.isEmpty();
    f.detected = {
        {QStringLiteral("Ruhezeit"), a.awayName(AwayKind::IdleTime)},
        {QStringLiteral("Sperre und Ruhezustand"), a.awayName(AwayKind::LockAndSleep)},
        {QStringLiteral("Vollbild"), a.holdName(HoldKind::FullScreen)},
        {QStringLiteral("Nicht stören"), a.holdName(HoldKind::DoNotDisturb)},
        {QStringLiteral("Bildschirm wach gehalten"), a.holdName(HoldKind::Inhibitor)},
        {QStringLiteral("Gespräch"), a.holdName(HoldKind::Call)},
        {QStringLiteral("Aktives Programm"), a.holdName(HoldKind::Program)},
        {QStringLiteral("Symbol im Panel"), panel},
    };
    return f;
}

MoreSettings::MoreSettings(const Preferences& prefs, const DesktopOffers& offers,
                           const DetectedLines& detected, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      prefs_(prefs), given_(prefs), offers_(offers) {
    setWindowTitle(QStringLiteral("Weitere Einstellungen") + QLatin1String(rt::kCaptionSuffix));
    setModal(true);
    auto* whole = new QVBoxLayout(this);
    whole->setSizeConstraint(QLayout::SetFixedSize);
    auto* columns = new QHBoxLayout;
    whole->addLayout(columns);
    // Two columns: what holds reminders back on the left, the rest on the right.
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    // Natural breaks: the switch, and below it the length.
    auto* breaks = new QGroupBox(QStringLiteral("Natürliche Pausen"), this);
    auto* breaksLayout = new QVBoxLayout(breaks);
    naturalBreak_ = new QCheckBox(QStringLiteral("&Natürliche Pausen erkennen"), breaks);
    breaksLayout->addWidget(naturalBreak_);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->setContentsMargins(22, 0, 0, 0);
    minutesBefore_ = new QLabel(QStringLiteral("nach"), breaks);
    minutes_ = new QSpinBox(breaks);
    minutes_->setRange(kNaturalBreakMinMinutes, kNaturalBreakMaxMinutes);
    minutes_->setAccessibleName(QStringLiteral("Minuten ohne Eingabe bis zur natürlichen Pause"));
    minutesAfter_ = new QLabel(QStringLiteral("&Minuten ohne Eingabe"), breaks);
    minutesAfter_->setBuddy(minutes_);
    lengthRow->addWidget(minutesBefore_);
    lengthRow->addWidget(minutes_);
    lengthRow->addWidget(minutesAfter_);
    lengthRow->addStretch(1);
    breaksLayout->addLayout(lengthRow);
    breaksNote_ = note(breaks, kBreaksNote);
    breaksLayout->addWidget(breaksNote_);
    left->addWidget(breaks);

    // The reasons for holding a prompt back until they have passed.
    auto* holds = new QGroupBox(QStringLiteral("Erinnerungen zurückhalten"), this);
    auto* holdsLayout = new QVBoxLayout(holds);
    fullScreen_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm im "
                                         "&Vollbild läuft"),
                          &Preferences::holdFullScreen, &DesktopOffers::fullScreen);
    // GNOME and KDE both call their switch so.
    doNotDisturb_ = holdBox(holds,
                            QStringLiteral("Nicht stören, solange „Nicht stören“ "
                                           "&eingeschaltet ist"),
                            &Preferences::holdDoNotDisturb, &DesktopOffers::doNotDisturb);
    inhibitors_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm den "
                                         "Bildschirm &wach hält (Video, Anruf)"),
                          &Preferences::holdInhibitors, &DesktopOffers::inhibitors);
    calls_ = holdBox(holds,
                     QStringLiteral("Während eines &Gesprächs nicht stören (Mikrofon oder "
                                    "Kamera in Gebrauch)"),
                     &Preferences::holdCalls, &DesktopOffers::calls);
    holdsLayout->addWidget(note(holds, QStringLiteral("Eine zurückgehaltene Erinnerung "
                                                      "erscheint, sobald der Grund entfällt.")));
    left->addWidget(holds);
    left->addWidget(programsGroup());
    left->addStretch(1);

    right->addWidget(postponeGroup());

    // Where the board waits between reminders.
    auto* panel = new QGroupBox(QStringLiteral("Panel"), this);
    new QVBoxLayout(panel);
    panel_ = holdBox(panel, QStringLiteral("Im &Panel statt im kleinen Fenster warten"),
                     &Preferences::waitInPanel, &DesktopOffers::panel);
    panelNote_ = note(panel, QStringLiteral("Das Symbol im Panel zeigt, wann die nächste "
                                            "Erinnerung kommt; ein Klick darauf zeigt das kleine "
                                            "Fenster."));
    panel->layout()->addWidget(panelNote_);
    right->addWidget(panel);

    // Starting with the session: the box shows whether the autostart entry is there, and a click
    // writes or removes it at once.
    auto* session = new QGroupBox(QStringLiteral("Sitzung"), this);
    auto* sessionLayout = new QVBoxLayout(session);
    session_ = new QCheckBox(QStringLiteral("Mi&t der Sitzung starten"), session);
    session_->setChecked(autostart::enabled());
    sessionLayout->addWidget(session_);
    sessionNote_ = note(session, QString());
    sessionNote_->hide();
    sessionLayout->addWidget(sessionNote_);
    connect(session_, &QCheckBox::toggled, this, [this](bool on) {
        const QString failed = autostart::set(on, QCoreApplication::applicationFilePath());
        sessionNote_->setText(failed);
        sessionNote_->setVisible(!failed.isEmpty());
        const QSignalBlocker quiet(session_);
        session_->setChecked(autostart::enabled());
    });
    right->addWidget(session);

    // What the program found here; text only, out of the way of the keyboard.
    auto* found = new QGroupBox(QStringLiteral("Auf diesem Desktop erkannt"), this);
    found_ = new QFormLayout(found);
    nothingFound_ = new QLabel(QStringLiteral("Keine Angaben"), found);
    found_->addRow(nothingFound_);
    showDetected(detected);
    right->addWidget(found);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    close_ = new QPushButton(QStringLiteral("&Schließen"), this);
    close_->setDefault(true);
    buttons->addWidget(close_);
    whole->addLayout(buttons);

    // Fill in, then follow every change.
    minutes_->setValue(prefs_.naturalBreakMinutes);
    showOffers();
    connect(naturalBreak_, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.naturalBreak = on;
        updateEnabled();
    });
    connect(minutes_, &QSpinBox::valueChanged, this,
            [this](int value) { prefs_.naturalBreakMinutes = value; });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    // Row by row, top to bottom.
    setTabOrder(naturalBreak_, minutes_);
    setTabOrder(minutes_, fullScreen_);
    setTabOrder(fullScreen_, doNotDisturb_);
    setTabOrder(doNotDisturb_, inhibitors_);
    setTabOrder(inhibitors_, calls_);
    setTabOrder(calls_, programs_);
    setTabOrder(programs_, addProgram_);
    setTabOrder(addProgram_, removeProgram_);
    setTabOrder(removeProgram_, postponeMinutes_);
    setTabOrder(postponeMinutes_, postponeLimit_);
    setTabOrder(postponeLimit_, panel_);
    setTabOrder(panel_, close_);
}

// The programs during whose work prompts wait: a list, a button that adds the program the user
// came from, and one that removes the chosen entry.
QWidget* MoreSettings::programsGroup() {
    auto* group = new QGroupBox(QStringLiteral("Programme, die nicht unterbrochen werden"), this);
    auto* box = new QVBoxLayout(group);
    auto* label = new QLabel(QStringLiteral("Erinnerungen warten, solange ein Fenster dieser "
                                            "Pr&ogramme aktiv ist:"),
                             group);
    label->setWordWrap(true);
    box->addWidget(label);
    programs_ = new QListWidget(group);
    programs_->setAccessibleName(QStringLiteral("Programme, bei denen Erinnerungen warten"));
    programs_->setSelectionMode(QAbstractItemView::SingleSelection);
    programs_->addItems(prefs_.heldPrograms);
    programs_->setMaximumHeight(programs_->fontMetrics().height() * 6);
    programs_->installEventFilter(this);
    label->setBuddy(programs_);
    box->addWidget(programs_);
    auto* buttons = new QHBoxLayout;
    addProgram_ = new QPushButton(kAddLast, group);
    addProgram_->setAutoDefault(false);
    addProgram_->setAccessibleDescription(
        QStringLiteral("Fügt das Programm hinzu, dessen Fenster vor Quillet aktiv war"));
    removeProgram_ = new QPushButton(QStringLiteral("Ent&fernen"), group);
    removeProgram_->setAutoDefault(false);
    removeProgram_->setAccessibleDescription(
        QStringLiteral("Entfernt das gewählte Programm aus der Liste"));
    buttons->addWidget(addProgram_);
    buttons->addWidget(removeProgram_);
    buttons->addStretch(1);
    box->addLayout(buttons);
    programsNote_ = note(group, kNotOffered);
    box->addWidget(programsNote_);
    if (waylandSession())
        box->addWidget(note(group, QStringLiteral("Unter Wayland erkennt Quillet nur Programme, "
                                                  "die über XWayland laufen.")));
    connect(addProgram_, &QPushButton::clicked, this, [this] { addProgram(); });
    connect(removeProgram_, &QPushButton::clicked, this, [this] { removeProgram(); });
    connect(programs_, &QListWidget::currentRowChanged, this, [this] { updateEnabled(); });
    return group;
}

// What "Später" on a prompt does.
QWidget* MoreSettings::postponeGroup() {
    auto* group = new QGroupBox(QStringLiteral("Verschieben mit „Später“"), this);
    auto* box = new QVBoxLayout(group);
    postponeMinutes_ = new QSpinBox(group);
    postponeMinutes_->setRange(kPostponeMinMinutes, kPostponeMaxMinutes);
    postponeMinutes_->setValue(prefs_.postponeMinutes);
    postponeMinutes_->setAccessibleName(QStringLiteral("„Später“ verschiebt um, Minuten"));
    box->addLayout(fieldRow(group, QStringLiteral("„Später“ verschiebt &um"), postponeMinutes_,
                            QStringLiteral("Minuten")));
    postponeLimit_ = new QSpinBox(group);
    postponeLimit_->setRange(0, kPostponeMaxLimit);
    postponeLimit_->setSpecialValueText(QStringLiteral("ohne Grenze"));
    postponeLimit_->setValue(prefs_.postponeLimit);
    postponeLimit_->setAccessibleName(
        QStringLiteral("Höchstens so oft nacheinander verschieben, Mal"));
    box->addLayout(fieldRow(group, QStringLiteral("Hö&chstens"), postponeLimit_,
                            QStringLiteral("Mal nacheinander verschieben")));
    connect(postponeMinutes_, &QSpinBox::valueChanged, this,
            [this](int value) { prefs_.postponeMinutes = value; });
    connect(postponeLimit_, &QSpinBox::valueChanged, this,
            [this](int value) { prefs_.postponeLimit = value; });
    return group;
}

// The add button names the program it would add; it offers none that is listed already.
void MoreSettings::showLastProgram() {
    const QString last = lastProgram ? lastProgram().trimmed() : QString();
    lastProgram_ = last.isEmpty() || prefs_.heldPrograms.contains(last, Qt::CaseInsensitive)
                       ? QString()
                       : last;
    QString text = kAddLast;
    if (!lastProgram_.isEmpty()) {
        QString escaped = lastProgram_;
        text = QStringLiteral("„%1“ &hinzufügen").arg(escaped.replace(QLatin1Char('&'), "&&"));
    }
    addProgram_->setText(text);
    updateEnabled();
}

void MoreSettings::addProgram() {
    if (lastProgram_.isEmpty())
        return;
    prefs_.heldPrograms << lastProgram_;
    programs_->addItem(lastProgram_);
    programs_->setCurrentRow(programs_->count() - 1);
    showLastProgram();
    // The button offers nothing more now: the keys go on in the list.
    if (!addProgram_->isEnabled())
        programs_->setFocus(Qt::TabFocusReason);
}

void MoreSettings::removeProgram() {
    const int row = programs_->currentRow();
    if (row < 0)
        return;
    const bool fromButton = removeProgram_->hasFocus();
    delete programs_->takeItem(row);
    prefs_.heldPrograms.removeAt(row);
    showLastProgram();
    if (programs_->count() > 0)
        programs_->setCurrentRow(std::min(row, programs_->count() - 1));
    // The button may offer nothing more now: the keys go on in the list.
    if (fromButton)
        programs_->setFocus(Qt::TabFocusReason);
}

// Delete in the list removes the chosen program, as the button does.
bool MoreSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == programs_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeProgram();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Back from another program's window, the add button offers that program.
void MoreSettings::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        showLastProgram();
}

QCheckBox* MoreSettings::holdBox(QWidget* parent, const QString& text, bool Preferences::*value,
                                 bool DesktopOffers::*offered) {
    auto* box = new QCheckBox(text, parent);
    parent->layout()->addWidget(box);
    QLabel* why = note(parent, kNotOffered);
    parent->layout()->addWidget(why);
    offered_.push_back({box, why, value, offered});
    // Only the user's own clicks change the value: a switch the desktop no longer offers is
    // shown off, and keeps what was chosen.
    connect(box, &QCheckBox::toggled, this, [this, value](bool on) { prefs_.*value = on; });
    return box;
}

void MoreSettings::setDesktop(const DesktopOffers& offers, const DetectedLines& detected) {
    offers_ = offers;
    showOffers();
    showDetected(detected);
}

void MoreSettings::showOffers() {
    for (const Offered& o : offered_) {
        const bool offered = offers_.*o.offered;
        const QSignalBlocker quiet(o.box);
        o.box->setChecked(offered && prefs_.*o.value);
        o.box->setEnabled(offered);
        o.box->setAccessibleDescription(offered ? QString() : kNotOffered);
        o.note->setVisible(!offered);
    }
    panelNote_->setVisible(offers_.panel);
    programsNote_->setVisible(!offers_.programs);
    {
        const QSignalBlocker quiet(naturalBreak_);
        naturalBreak_->setChecked(offers_.idleTime && prefs_.naturalBreak);
    }
    naturalBreak_->setAccessibleDescription(offers_.idleTime ? QString() : kNotOffered);
    breaksNote_->setText(offers_.idleTime ? kBreaksNote : kNotOffered);
    updateEnabled();
}

void MoreSettings::showDetected(const DetectedLines& detected) {
    for (const auto& [label, what] : detected) {
        const auto line = std::find_if(detected_.begin(), detected_.end(),
                                       [&label](const auto& l) { return l.first == label; });
        if (line != detected_.end()) {
            line->second->setText(shown(what));
            continue;
        }
        auto* value = new QLabel(shown(what), found_->parentWidget());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        found_->addRow(label + QLatin1Char(':'), value);
        detected_.append({label, value});
    }
    nothingFound_->setVisible(detected_.isEmpty());
}

void MoreSettings::updateEnabled() {
    naturalBreak_->setEnabled(offers_.idleTime);
    const bool length = offers_.idleTime && naturalBreak_->isChecked();
    minutesBefore_->setEnabled(length);
    minutes_->setEnabled(length);
    minutesAfter_->setEnabled(length);
    addProgram_->setEnabled(offers_.programs && !lastProgram_.isEmpty());
    removeProgram_->setEnabled(programs_->currentRow() >= 0);
}

// The window opens with its first control focused and the focus shown, as after a Tab: Qt
// draws the focus frame only once the keyboard has moved the focus in a window.
void MoreSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    showLastProgram();
    for (QWidget* first : std::initializer_list<QWidget*>{
             naturalBreak_, minutes_, fullScreen_, doNotDisturb_, inhibitors_, calls_, programs_}) {
        if (first->isEnabled()) {
            rt::showFocus(first);
            break;
        }
    }
}

QStringList MoreSettings::detectedLines() const {
    QStringList lines;
    for (const auto& [label, value] : detected_)
        lines << label + QStringLiteral(": ") + value->text();
    return lines;
}

void MoreSettings::done(int result) {
    // A number typed but not yet confirmed counts as well.
    minutes_->interpretText();
    postponeMinutes_->interpretText();
    postponeLimit_->interpretText();
    if (prefs_ != given_) {
        if (file)
            file->save(prefs_);
        given_ = prefs_;
        if (changed)
            changed(prefs_);
    }
    QDialog::done(result);
}

} // namespace desk
