#include "ui/Services.h"

namespace ui {

Answer closedAnswer(Buttons b) {
    switch (b) {
        case Buttons::OkOnly:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
        case Buttons::RetryCancel:
            break;
    }
    return Answer::Cancel;
}

Answer Services::MsgBox(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    return showMessage(Message{text, buttons, icon, title.isEmpty() ? programTitle_ : title});
}

std::vector<FilterEntry> parseFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    std::vector<FilterEntry> out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            if (!t.isEmpty()) patterns.push_back(t);
        }
        if (parts[i].isEmpty() && patterns.isEmpty())
            continue;  // the empty tail after the last "|"
        out.push_back(FilterEntry{parts[i], patterns});
    }
    return out;
}

QStringList qtNameFilters(const QString& filter) {
    QStringList out;
    for (const FilterEntry& e : parseFilter(filter)) {
        const QString patterns = e.patterns.join(u' ');
        const QString description = e.description.trimmed();
        if (description.endsWith(u'(' + patterns + u')') || patterns.isEmpty())
            out.push_back(description);
        else if (description.isEmpty())
            out.push_back(patterns);
        else
            out.push_back(description + QStringLiteral(" (") + patterns + u')');
    }
    return out;
}

}  // namespace ui
