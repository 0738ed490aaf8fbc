#include "info/UHilfe.h"
#include "info/HelpTexts.h"
#include "runtime/ProgramTexts.h"

TFHilfe::TFHilfe() : Form(new rt::Form) {
    Form->setCaption(QStringLiteral("Hilfe"));
    Form->setBorder(rt::Form::Border::Dialog);

    TNB1 = new rt::Notebook(Form);
    for (size_t i = 0; i < kHelpPages.size(); ++i) {
        const HelpPage& text = kHelpPages[i];
        auto* memo = new rt::ProseArea(TNB1->addPage(QString::fromUtf8(text.caption)));
        memo->setObjectName(QLatin1String(text.memo));
        memo->setGeometry(kMemoLeft, kMemoTop, kMemoWidth, kMemoHeight);
        memo->setVerticalBar(text.scrollBar);
        memo->setProse(HelpProse(text));
        Memos[i] = memo;
    }
    Memo1 = Memos[0];
    Memo6 = Memos[1];
    Memo7 = Memos[2];
    Memo2 = Memos[3];
    Memo3 = Memos[4];
    Memo4 = Memos[5];
    Memo5 = Memos[6];
    Memo8 = Memos[7];

    Form->onGeometry = [this] { FitToFrame(); };
    FitToFrame();
    FormCreate();
}

TFHilfe::~TFHilfe() {
    delete Form;
}

void TFHilfe::FormCreate() {
    Form->setCaption(Form->caption() + QString() + QLatin1String(rt::kCaptionSuffix));
    TNB1->place(-1, 0, Form->outerWidth(), Form->outerHeight());
    TNB1->setPageIndex(0);
}

void TFHilfe::FitToFrame() {
    const QMargins frame = Form->frameMargins();
    const int width = kClientWidth + frame.left() + frame.right();
    const int height = kClientHeight + frame.top() + frame.bottom();
    if (width != Form->outerWidth() || height != Form->outerHeight()) {
        // A new frame: the window keeps its centre.
        Form->setBounds(Form->left() - (width - Form->outerWidth()) / 2,
                        Form->top() - (height - Form->outerHeight()) / 2, width, height);
        return; // placed again, and back here
    }
    TNB1->place(-1, 0, Form->outerWidth(), Form->outerHeight());
}
