// SPDX-License-Identifier: MIT
#include "mtools.h"

#include <QStringList>

#include "tinifile.h"

QString RemoveSpaces(const QString &text)
{
    QString result = text;
    result.remove(QLatin1Char(' '));
    return result;
}

namespace {

bool sameSectionName(const QString &a, const QString &b)
{
    // Section names match without regard to the case of ASCII letters only, as in the store.
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= u'a' && x <= u'z')
            x -= u'a' - u'A';
        if (y >= u'a' && y <= u'z')
            y -= u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool RenameSection(const QString &fileName, const QString &source, const QString &target)
{
    try {
        TIniFile file(fileName);
        if (!file.SectionExists(source))
            return false;
        // Moving a section onto itself would erase it after "writing" nothing new.
        if (sameSectionName(source, target))
            return true;

        QStringList lines;
        file.ReadSectionValues(source, lines);

        // The target is complete on disk before the source goes, so a failure in between leaves
        // the keys twice rather than nowhere.
        file.BeginUpdate();
        for (const QString &line : std::as_const(lines)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            file.WriteString(target, line.left(eq), line.mid(eq + 1));
        }
        file.EndUpdate();

        file.EraseSection(source);
        file.UpdateFile();
        return true;
    } catch (...) {
        return false;
    }
}
