#pragma once

#include "runtime/Form.h"

#include <cstdint>

// The settings window: modal.
class TFMenue {
public:
    TFMenue();
    ~TFMenue();
    TFMenue(const TFMenue&) = delete;
    TFMenue& operator=(const TFMenue&) = delete;

    void ShowModal() {
        ResetDone = 0;
        Form->showModal();
    }

    rt::Form* Form = nullptr;
    // 1 after the user confirmed a reset to the defaults in the last showing.
    std::uint8_t ResetDone = 0;
};
