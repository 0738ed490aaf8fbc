#include "runtime/ProgramTexts.h"
#pragma once

#include <QString>

#include <array>

// One page of the help window.
struct HelpPage {
    const char* caption;   // the tab's caption, blanks included
    const char* memo;      // the name of the page's text area
    bool scrollBar;        // the text area has a vertical scroll bar
    const char* firstLine; // the page's first line exactly as it stands; nullptr for none
    const char* body;      // the prose that follows, in paragraphs (see rt::breakProse)
};

// In the order of the tabs.
extern const std::array<HelpPage, 8> kHelpPages;

// A page's whole text as its text area takes it: the first line kept as a line of its own, the
// prose after it broken to the area's width.
QString HelpProse(const HelpPage& page);
