#include "info/UImpressum.h"

TFImpressum::TFImpressum() : Form(new rt::Form) {
    Form->setCaption(QStringLiteral("Impressum   /   Version 01-03-2009"));
    Form->setOuterSize(640, 480);
}

TFImpressum::~TFImpressum() {
    delete Form;
}
