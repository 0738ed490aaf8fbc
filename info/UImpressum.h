#pragma once

#include "runtime/Form.h"

// The imprint window: modal, read-only.
class TFImpressum {
public:
    TFImpressum();
    ~TFImpressum();
    TFImpressum(const TFImpressum&) = delete;
    TFImpressum& operator=(const TFImpressum&) = delete;

    void ShowModal() { Form->showModal(); }

    rt::Form* Form = nullptr;
};
