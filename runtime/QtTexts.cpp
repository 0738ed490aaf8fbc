#include "runtime/QtTexts.h"

#include <cstring>
#include <iterator>

namespace rt {

namespace {

// From Qt 6.4's German catalogue (qtbase_de.qm); texts that read the same in German (OK, Name,
// Computer, Alt ...) are left out. The English texts must match Qt's byte for byte: the tests
// compare the table with the catalogue where it is installed. Of the key names only those of
// the editing shortcuts a context menu shows beside its entries ("Strg+Z").
constexpr QtGermanTexts::Entry kTexts[] = {
    {"QPlatformTheme", "&No", "&Nein"},
    {"QPlatformTheme", "&Yes", "&Ja"},
    {"QPlatformTheme", "Abort", "Abbrechen"},
    {"QPlatformTheme", "Apply", "Anwenden"},
    {"QPlatformTheme", "Cancel", "Abbrechen"},
    {"QPlatformTheme", "Close", "Schließen"},
    {"QPlatformTheme", "Discard", "Verwerfen"},
    {"QPlatformTheme", "Help", "Hilfe"},
    {"QPlatformTheme", "Ignore", "Ignorieren"},
    {"QPlatformTheme", "N&o to All", "N&ein, keine"},
    {"QPlatformTheme", "Open", "Öffnen"},
    {"QPlatformTheme", "Reset", "Zurücksetzen"},
    {"QPlatformTheme", "Restore Defaults", "Voreinstellungen"},
    {"QPlatformTheme", "Retry", "Wiederholen"},
    {"QPlatformTheme", "Save", "Speichern"},
    {"QPlatformTheme", "Save All", "Alles speichern"},
    {"QPlatformTheme", "Yes to &All", "Ja, &alle"},
    {"QMessageBox", "Hide Details...", "Details ausblenden..."},
    {"QMessageBox", "Show Details...", "Details einblenden..."},
    {"QLineEdit", "&Copy", "&Kopieren"},
    {"QLineEdit", "&Paste", "Einf&ügen"},
    {"QLineEdit", "&Redo", "Wieder&herstellen"},
    {"QLineEdit", "&Undo", "&Rückgängig"},
    {"QLineEdit", "Cu&t", "&Ausschneiden"},
    {"QLineEdit", "Delete", "Löschen"},
    {"QLineEdit", "Select All", "Alles auswählen"},
    {"QWidgetTextControl", "&Copy", "&Kopieren"},
    {"QWidgetTextControl", "&Paste", "Einf&ügen"},
    {"QWidgetTextControl", "&Redo", "Wieder&herstellen"},
    {"QWidgetTextControl", "&Undo", "&Rückgängig"},
    {"QWidgetTextControl", "Copy &Link Location", "&Link-Adresse kopieren"},
    {"QWidgetTextControl", "Cu&t", "&Ausschneiden"},
    {"QWidgetTextControl", "Delete", "Löschen"},
    {"QWidgetTextControl", "Select All", "Alles auswählen"},
    {"QAbstractSpinBox", "&Select All", "&Alles auswählen"},
    {"QAbstractSpinBox", "&Step up", "&Inkrementieren"},
    {"QAbstractSpinBox", "Step &down", "&Dekrementieren"},
    {"QScrollBar", "Bottom", "Ende"},
    {"QScrollBar", "Left edge", "Linker Rand"},
    {"QScrollBar", "Page down", "Eine Seite nach unten"},
    {"QScrollBar", "Page left", "Eine Seite nach links"},
    {"QScrollBar", "Page right", "Eine Seite nach rechts"},
    {"QScrollBar", "Page up", "Eine Seite nach oben"},
    {"QScrollBar", "Right edge", "Rechter Rand"},
    {"QScrollBar", "Scroll down", "Nach unten scrollen"},
    {"QScrollBar", "Scroll here", "Hierher scrollen"},
    {"QScrollBar", "Scroll left", "Nach links scrollen"},
    {"QScrollBar", "Scroll right", "Nach rechts scrollen"},
    {"QScrollBar", "Scroll up", "Nach oben scrollen"},
    {"QScrollBar", "Top", "Anfang"},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDas Verzeichnis konnte nicht gefunden werden.\nStellen Sie sicher, dass der "
     "Verzeichnisname richtig ist."},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nDie Datei konnte nicht gefunden werden.\nStellen Sie sicher, dass der Dateiname richtig "
     "ist."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "Die Datei %1 existiert bereits.\nSoll sie überschrieben werden?"},
    {"QFileDialog", "&Choose", "&Auswählen"},
    {"QFileDialog", "&Delete", "&Löschen"},
    {"QFileDialog", "&New Folder", "&Neues Verzeichnis"},
    {"QFileDialog", "&Open", "&Öffnen"},
    {"QFileDialog", "&Rename", "&Umbenennen"},
    {"QFileDialog", "&Save", "S&peichern"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' ist schreibgeschützt.\nMöchten Sie die Datei trotzdem löschen?"},
    {"QFileDialog", "All Files (*)", "Alle Dateien (*)"},
    {"QFileDialog", "All files (*)", "Alle Dateien (*)"},
    {"QFileDialog", "Are you sure you want to delete '%1'?",
     "Sind Sie sicher, dass Sie '%1' löschen möchten?"},
    {"QFileDialog", "Back", "Zurück"},
    {"QFileDialog", "Change to detail view mode", "Wechsle zu Detailansicht"},
    {"QFileDialog", "Change to list view mode", "Wechsle zu Listenansicht"},
    {"QFileDialog", "Could not delete directory.", "Das Verzeichnis konnte nicht gelöscht werden."},
    {"QFileDialog", "Create New Folder", "Neuen Ordner erstellen"},
    {"QFileDialog", "Create a New Folder", "Neuen Ordner erstellen"},
    {"QFileDialog", "Delete", "Löschen"},
    {"QFileDialog", "Detail View", "Details"},
    {"QFileDialog", "Directories", "Verzeichnisse"},
    {"QFileDialog", "Directory:", "Verzeichnis:"},
    {"QFileDialog", "File &name:", "Datei&name:"},
    {"QFileDialog", "Files", "Dateien"},
    {"QFileDialog", "Files of type:", "Dateien des Typs:"},
    {"QFileDialog", "Find Directory", "Verzeichnis suchen"},
    {"QFileDialog", "Forward", "Vorwärts"},
    {"QFileDialog", "Go back", "Zurück"},
    {"QFileDialog", "Go forward", "Vor"},
    {"QFileDialog", "Go to the parent directory", "Gehe zum übergeordneten Verzeichnis"},
    {"QFileDialog", "List View", "Liste"},
    {"QFileDialog", "List of places and bookmarks", "Liste der Orte und Lesezeichen"},
    {"QFileDialog", "Look in:", "Suchen in:"},
    {"QFileDialog", "New Folder", "Neues Verzeichnis"},
    {"QFileDialog", "Open", "Öffnen"},
    {"QFileDialog", "Parent Directory", "Übergeordnetes Verzeichnis"},
    {"QFileDialog", "Recent Places", "Zuletzt besucht"},
    {"QFileDialog", "Remove", "Löschen"},
    {"QFileDialog", "Save As", "Speichern unter"},
    {"QFileDialog", "Show ", "Anzeigen "},
    {"QFileDialog", "Show &hidden files", "&Versteckte Dateien anzeigen"},
    {"QFileDialog", "Sidebar", "Seitenleiste"},
    {"QFileSystemModel", "Date Modified", "Änderungsdatum"},
    {"QFileSystemModel", "Kind", "Art"},
    {"QFileSystemModel", "My Computer", "Mein Computer"},
    {"QFileSystemModel", "Size", "Größe"},
    {"QFileSystemModel", "Type", "Typ"},
    {"QAbstractFileIconProvider", "Drive", "Laufwerk"},
    {"QAbstractFileIconProvider", "File", "Datei"},
    {"QAbstractFileIconProvider", "File Folder", "Ordner"},
    {"QAbstractFileIconProvider", "Folder", "Verzeichnis"},
    {"QAbstractFileIconProvider", "Shortcut", "Symbolischer Link"},
    {"QAbstractFileIconProvider", "Unknown", "Unbekannt"},
    {"QShortcut", "Ctrl", "Strg"},
    {"QShortcut", "Shift", "Umschalt"},
    {"QShortcut", "Del", "Entf"},
    {"QShortcut", "Ins", "Einfg"},
    {"QShortcut", "Backspace", "Rücktaste"},
};

} // namespace

// Qt asks for a few texts with a disambiguation ("Type" of a file: "All other platforms"); as in
// Qt's own catalogue lookup, the text without one answers those too. Qt asks only while it
// builds a dialog or a menu, a few dozen times, so the table is simply read from the top.
QString QtGermanTexts::translate(const char* context, const char* sourceText, const char*,
                                 int) const {
    if (!context || !sourceText)
        return {};
    for (const Entry& e : kTexts)
        if (std::strcmp(e.source, sourceText) == 0 && std::strcmp(e.context, context) == 0)
            return QString::fromUtf8(e.german);
    return {};
}

const QtGermanTexts::Entry* QtGermanTexts::begin() {
    return std::begin(kTexts);
}

const QtGermanTexts::Entry* QtGermanTexts::end() {
    return std::end(kTexts);
}

} // namespace rt
