#pragma once
// A report page of 2000 x 2000 twips (no margins) measured with fixed metrics:
// every character 100 twips wide, every line 200 high.
#include "report/Document.h"
#include "report/testing/FixedTextMetrics.h"

namespace wizardtest {

inline report::PageFormat smallPage() {
    report::PageFormat f;
    f.paper = {0, 2000, 2000};
    f.margins = {0, 0, 0, 0};
    return f;
}

struct SmallReport {
    SmallReport() { doc.PageFormat(smallPage()); }
    report::testing::FixedTextMetrics metrics;
    report::Document doc{metrics};
};

}  // namespace wizardtest
