#pragma once

#include <QTranslator>

namespace rt {

// The German texts of Qt's own parts that Quillet shows: the buttons of message boxes, the
// context menus of text fields, spin fields, text areas and scroll bars, and the file dialog of
// "Als CSV speichern". They are the wording of Qt's German catalogue (qtbase_de), carried by the
// program itself, so that no translations package has to be installed for a dozen words.
// Everything else passes through untranslated.
class QtGermanTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }

    // Every text this translator answers for: context, English source, German translation.
    struct Entry {
        const char* context;
        const char* source;
        const char* german;
    };
    static const Entry* begin();
    static const Entry* end();
};

} // namespace rt
