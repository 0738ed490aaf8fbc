#pragma once

#include <QString>

// The board's way to the modal windows and message boxes it opens. The program entry gives it
// the real windows; tests give it stand-ins.
class BoardWindows {
public:
    virtual ~BoardWindows() = default;
    virtual void ShowHilfe() = 0;
    virtual void ShowImpressum() = 0;
    virtual void ShowMenue() = 0;
    // The settings window's last showing ended with a confirmed reset to the defaults.
    virtual bool ResetDone() const = 0;
    // An information box with an OK button.
    virtual void Inform(const QString& text) = 0;
};
