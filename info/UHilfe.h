#pragma once

#include "runtime/Form.h"
#include "runtime/Notebook.h"
#include "runtime/ProseArea.h"

#include <array>

// The help window: modal, read-only, eight pages of text. The page shown when it closes is shown
// again when it next opens.
class TFHilfe {
public:
    static constexpr int kClientWidth = 632;
    static constexpr int kClientHeight = 373;
    static constexpr int kMemoLeft = 8, kMemoTop = 8, kMemoWidth = 609, kMemoHeight = 329;

    TFHilfe();
    ~TFHilfe();
    TFHilfe(const TFHilfe&) = delete;
    TFHilfe& operator=(const TFHilfe&) = delete;

    void ShowModal() { Form->showModal(); }

    rt::Form* Form = nullptr;
    rt::Notebook* TNB1 = nullptr;
    // One text area per page; Memos holds them in the order of the pages.
    rt::ProseArea *Memo1 = nullptr, *Memo6 = nullptr, *Memo7 = nullptr, *Memo2 = nullptr,
                  *Memo3 = nullptr, *Memo4 = nullptr, *Memo5 = nullptr, *Memo8 = nullptr;
    std::array<rt::ProseArea*, 8> Memos{};

private:
    void FormCreate();
    // Keeps the client area at its size whatever frame the window manager draws, and the
    // notebook over the whole window.
    void FitToFrame();
};
