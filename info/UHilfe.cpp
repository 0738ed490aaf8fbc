#include "info/UHilfe.h"

TFHilfe::TFHilfe() : Form(new rt::Form) {
    Form->setCaption(QStringLiteral("Hilfe   /   Version 01-03-2009"));
    Form->setOuterSize(640, 480);
}

TFHilfe::~TFHilfe() {
    delete Form;
}
