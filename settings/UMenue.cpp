#include "settings/UMenue.h"

TFMenue::TFMenue() : Form(new rt::Form) {
    Form->setCaption(QStringLiteral("Einstellungen   /   Version 01-03-2009"));
    Form->setOuterSize(640, 480);
}

TFMenue::~TFMenue() {
    delete Form;
}
