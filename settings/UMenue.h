#pragma once

#include "runtime/Form.h"

// The settings window: modal.
class TFMenue {
public:
    TFMenue();
    ~TFMenue();
    TFMenue(const TFMenue&) = delete;
    TFMenue& operator=(const TFMenue&) = delete;

    void ShowModal() { Form->showModal(); }

    rt::Form* Form = nullptr;
};
