#include "ui/ShellOpen.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace ui {

int32_t shellOpen(Services& services, const QString& verb, const QString& file) {
    if (!verb.isEmpty() && verb.compare(u"open"_s, Qt::CaseInsensitive) != 0)
        return shell::NoAssociation;
    if (file.isEmpty()) return shell::FileNotFound;

    QString path = file;
    const QUrl url(file, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() >= 2) {
        if (url.scheme().compare(u"file"_s, Qt::CaseInsensitive) != 0)
            return services.OpenWithDesktop(file) ? shell::Taken : shell::NoAssociation;
        path = url.toLocalFile();
    }
    const QFileInfo info(path);
    if (!info.exists())
        return info.absoluteDir().exists() ? shell::FileNotFound : shell::PathNotFound;
    if (!info.isReadable()) return shell::AccessDenied;
    return services.OpenWithDesktop(info.absoluteFilePath()) ? shell::Taken : shell::NoAssociation;
}

}  // namespace ui
