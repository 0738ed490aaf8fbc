#pragma once

#include "runtime/Form.h"

// The help window: modal, read-only.
class TFHilfe {
public:
    TFHilfe();
    ~TFHilfe();
    TFHilfe(const TFHilfe&) = delete;
    TFHilfe& operator=(const TFHilfe&) = delete;

    void ShowModal() { Form->showModal(); }

    rt::Form* Form = nullptr;
};
