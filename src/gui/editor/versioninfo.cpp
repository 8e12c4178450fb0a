// SPDX-License-Identifier: MIT
#include "versioninfo.h"

#include <QFile>
#include <QStringList>

#include "gui/dialogs/messages.h"
#include "platform/platform.h"

namespace versioninfo {

namespace {

const QString kBlock = QStringLiteral("StringFileInfo\\040704E4");

QString readData(const QString &dataPath)
{
    // On Windows the program file's own version resource holds the block.
    if (dataPath == kDataPath) {
        if (const std::optional<QString> own = platform::programVersionData())
            return *own;
    }
    QFile file(dataPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool hasBlock(const QString &data, const QString &block)
{
    return queryValue(data, block + QStringLiteral("\\")).has_value();
}

} // namespace

std::optional<QString> queryValue(const QString &data, const QString &path)
{
    const qsizetype split = path.lastIndexOf(QLatin1Char('\\'));
    if (split < 0)
        return std::nullopt;
    const QString block = path.left(split);
    const QString name = path.mid(split + 1);

    bool inBlock = false;
    bool blockFound = false;
    for (const QString &rawLine : data.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inBlock = line.mid(1, line.size() - 2).compare(block, Qt::CaseInsensitive) == 0;
            blockFound = blockFound || inBlock;
            continue;
        }
        if (!inBlock || name.isEmpty())
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    // An empty name asks only whether the block is there.
    if (name.isEmpty() && blockFound)
        return QString();
    return std::nullopt;
}

std::optional<QString> versionText(const QString &dataPath)
{
    const QString data = readData(dataPath);
    if (data.isEmpty() || !hasBlock(data, kBlock))
        return std::nullopt;
    // A value the block lacks shows as an empty text in its place.
    auto value = [&](const char *name) {
        return queryValue(data, kBlock + QLatin1Char('\\') + QLatin1String(name))
            .value_or(QString());
    };
    const QString fileVersion = value("FileVersion");
    const QString legalCopyright = value("LegalCopyright");
    const QString fileDescription = value("FileDescription");
    const QString lineBreak = QStringLiteral("\n");
    return QStringLiteral("Version: %1 %2(%3)%4%5")
        .arg(fileVersion, lineBreak, fileDescription, lineBreak, legalCopyright);
}

void ShowVersionInfo(QWidget *parent, const QString &dataPath)
{
    if (const std::optional<QString> text = versionText(dataPath))
        messages::showInformation(parent, *text);
}

} // namespace versioninfo
