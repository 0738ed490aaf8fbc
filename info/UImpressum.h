#pragma once

#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Notebook.h"
#include "runtime/ProseArea.h"

#include <QLabel>
#include <QRect>

// The imprint window: modal, read-only, six pages about who makes Quillet and with what. The page
// shown when it closes is shown again when it next opens.
class TFImpressum {
public:
    static constexpr int kOuterWidth = 625;
    static constexpr int kOuterHeight = 473;

    TFImpressum();
    ~TFImpressum();
    TFImpressum(const TFImpressum&) = delete;
    TFImpressum& operator=(const TFImpressum&) = delete;

    void ShowModal() { Form->showModal(); }

    // The part of a page that lies inside the window, in the page's coordinates: the notebook
    // reaches below the client area.
    QRect VisiblePage() const;

    rt::Form* Form = nullptr;
    rt::Notebook* TNB1 = nullptr;
    // Page 0: the brand.
    rt::Image* Image7 = nullptr;
    // Page 1: the studio, with a word of thanks above and below its picture.
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    rt::Panel* Panel1 = nullptr;
    rt::Image* Image2 = nullptr;
    // Page 2: the makers, two framed portraits with their names and a caption.
    rt::Panel *Panel2 = nullptr, *Panel3 = nullptr;
    rt::Image *Image3 = nullptr, *Image1 = nullptr;
    QLabel *Label3 = nullptr, *Label4 = nullptr, *Label6 = nullptr, *Label7 = nullptr;
    // Page 3: what Quillet is built with and how it is tested.
    rt::ProseArea* Memo3 = nullptr;
    // Page 4: where to reach the makers.
    rt::ProseArea *Memo1 = nullptr, *Memo4 = nullptr;
    rt::Image* Image4 = nullptr;
    // Page 5: a break on the farm.
    rt::Image* Image5 = nullptr;

private:
    void FormCreate();
    void FitToFrame();
    // Places every page's controls in the visible part of the pages.
    void LayOut();
};
