#include "FileFilter.h"
#include <QStringList>

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

std::string WithDefaultExt(const std::string& fileName, const std::string& defaultExt) {
    std::string ext = defaultExt;
    if (!ext.empty() && ext.front() == '.')
        ext.erase(0, 1);
    const size_t slash = fileName.find_last_of("/\\");
    const std::string part = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    // A leading dot names a hidden file, not an extension.
    const size_t dot = part.rfind('.');
    if (ext.empty() || part.empty() || (dot != std::string::npos && dot > 0))
        return fileName;
    return fileName + "." + ext;
}
