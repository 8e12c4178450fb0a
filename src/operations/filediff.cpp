// SPDX-License-Identifier: MIT
#include "filediff.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cstring>

#include "base/cp1252.h"

namespace filediff {

namespace {

// Regions larger than this have no line in common that is unique on both sides; they are shown
// as removed and added, which a menu file, whose key lines carry their index, hardly ever has.
constexpr qint64 kMaxTable = 4'000'000;

enum class Kind { Keep, Remove, Add };

struct Step
{
    Kind kind;
    int a; // lines of the old text before this one
    int b; // lines of the new text before this one
};

struct Lines
{
    std::vector<QStringView> lines;
    bool endsWithLineEnd = true;
};

Lines split(const QString &text)
{
    Lines out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        out.lines.push_back(QStringView(text).sliced(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size()) {
        out.lines.push_back(QStringView(text).sliced(start));
        out.endsWithLineEnd = false;
    }
    return out;
}

class Differ
{
public:
    Differ(const std::vector<QStringView> &a, const std::vector<QStringView> &b) : m_a(a), m_b(b) {}

    std::vector<Step> run()
    {
        range(0, int(m_a.size()), 0, int(m_b.size()));
        return std::move(m_steps);
    }

private:
    void keep(int a, int b) { m_steps.push_back({Kind::Keep, a, b}); }

    void range(int a0, int a1, int b0, int b1)
    {
        while (a0 < a1 && b0 < b1 && m_a[a0] == m_b[b0])
            keep(a0++, b0++);
        int a2 = a1;
        int b2 = b1;
        while (a2 > a0 && b2 > b0 && m_a[a2 - 1] == m_b[b2 - 1]) {
            --a2;
            --b2;
        }
        middle(a0, a2, b0, b2);
        for (int i = 0; i < a1 - a2; ++i)
            keep(a2 + i, b2 + i);
    }

    // Lines that stand once on each side anchor the rest, in the longest order both sides share.
    void middle(int a0, int a1, int b0, int b1)
    {
        if (a0 == a1 || b0 == b1) {
            for (int i = a0; i < a1; ++i)
                m_steps.push_back({Kind::Remove, i, b0});
            for (int j = b0; j < b1; ++j)
                m_steps.push_back({Kind::Add, a1, j});
            return;
        }
        QHash<QStringView, std::pair<int, int>> counts; // line → (count in a, index in a)
        for (int i = a0; i < a1; ++i) {
            auto &c = counts[m_a[i]];
            ++c.first;
            c.second = i;
        }
        QHash<QStringView, std::pair<int, int>> inB;
        for (int j = b0; j < b1; ++j) {
            auto &c = inB[m_b[j]];
            ++c.first;
            c.second = j;
        }
        std::vector<std::pair<int, int>> pairs;
        for (int i = a0; i < a1; ++i) {
            const auto ca = counts.value(m_a[i]);
            const auto cb = inB.value(m_a[i], {0, 0});
            if (ca.first == 1 && cb.first == 1)
                pairs.emplace_back(i, cb.second);
        }
        const std::vector<std::pair<int, int>> anchors = longestRising(pairs);
        if (!anchors.empty()) {
            int a = a0;
            int b = b0;
            for (const auto &[i, j] : anchors) {
                range(a, i, b, j);
                keep(i, j);
                a = i + 1;
                b = j + 1;
            }
            range(a, a1, b, b1);
            return;
        }
        table(a0, a1, b0, b1);
    }

    // The pairs (rising in a) whose b also rises, as many as possible.
    static std::vector<std::pair<int, int>>
    longestRising(const std::vector<std::pair<int, int>> &pairs)
    {
        std::vector<int> tails; // index into pairs of the last element of each length
        std::vector<int> previous(pairs.size(), -1);
        for (int k = 0; k < int(pairs.size()); ++k) {
            const auto at = std::lower_bound(tails.begin(), tails.end(), k, [&](int t, int key) {
                return pairs[size_t(t)].second < pairs[size_t(key)].second;
            });
            if (at != tails.begin())
                previous[size_t(k)] = *(at - 1);
            if (at == tails.end())
                tails.push_back(k);
            else
                *at = k;
        }
        std::vector<std::pair<int, int>> out;
        for (int k = tails.empty() ? -1 : tails.back(); k >= 0; k = previous[size_t(k)])
            out.push_back(pairs[size_t(k)]);
        std::reverse(out.begin(), out.end());
        return out;
    }

    // The longest common subsequence by table, for small regions without anchors.
    void table(int a0, int a1, int b0, int b1)
    {
        const int n = a1 - a0;
        const int m = b1 - b0;
        if (qint64(n) * m > kMaxTable) {
            for (int i = a0; i < a1; ++i)
                m_steps.push_back({Kind::Remove, i, b0});
            for (int j = b0; j < b1; ++j)
                m_steps.push_back({Kind::Add, a1, j});
            return;
        }
        std::vector<int> len(size_t(n + 1) * size_t(m + 1), 0);
        const auto at = [&](int i, int j) -> int & {
            return len[size_t(i) * size_t(m + 1) + size_t(j)];
        };
        for (int i = n - 1; i >= 0; --i) {
            for (int j = m - 1; j >= 0; --j)
                at(i, j) = m_a[a0 + i] == m_b[b0 + j] ? at(i + 1, j + 1) + 1
                                                      : std::max(at(i + 1, j), at(i, j + 1));
        }
        int i = 0;
        int j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && m_a[a0 + i] == m_b[b0 + j]) {
                keep(a0 + i++, b0 + j++);
            } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
                m_steps.push_back({Kind::Remove, a0 + i++, b0 + j});
            } else {
                m_steps.push_back({Kind::Add, a0 + i, b0 + j++});
            }
        }
    }

    const std::vector<QStringView> &m_a;
    const std::vector<QStringView> &m_b;
    std::vector<Step> m_steps;
};

QString range(int start, int count)
{
    // An empty range names the line before it, as diff does.
    return QString::number(count ? start + 1 : start) + QLatin1Char(',') + QString::number(count);
}

} // namespace

QString textOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    const bool little = bytes.startsWith("\xFF\xFE");
    if (little || bytes.startsWith("\xFE\xFF")) {
        const qsizetype units = (bytes.size() - 2) / 2;
        QString text(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i) {
            const auto lo = static_cast<unsigned char>(bytes[2 + 2 * i + (little ? 0 : 1)]);
            const auto hi = static_cast<unsigned char>(bytes[2 + 2 * i + (little ? 1 : 0)]);
            text[i] = QChar(char16_t(hi << 8 | lo));
        }
        return text;
    }
    return cp1252::toUnicode(bytes);
}

QString unified(const transaction::FileChange &change, int context)
{
    const QString oldText = textOf(change.before.value_or(QByteArray()));
    const QString newText = textOf(change.after.value_or(QByteArray()));
    const Lines a = split(oldText);
    const Lines b = split(newText);
    if (a.lines == b.lines && a.endsWithLineEnd == b.endsWithLineEnd)
        return {};
    std::vector<Step> steps = Differ(a.lines, b.lines).run();
    // A last line that only gained or lost its line end differs too.
    if (!a.lines.empty() && !b.lines.empty() && a.endsWithLineEnd != b.endsWithLineEnd &&
        !steps.empty() && steps.back().kind == Kind::Keep) {
        const Step last = steps.back();
        steps.back() = {Kind::Remove, last.a, last.b};
        steps.push_back({Kind::Add, last.a + 1, last.b});
    }

    QString out = QStringLiteral("--- %1\n+++ %2\n")
                      .arg(change.before ? change.path : QStringLiteral("/dev/null"),
                           change.after ? change.path : QStringLiteral("/dev/null"));
    const auto noEnd = [](const Lines &lines, int index) {
        return !lines.endsWithLineEnd && index == int(lines.lines.size()) - 1;
    };
    size_t k = 0;
    while (k < steps.size()) {
        while (k < steps.size() && steps[k].kind == Kind::Keep)
            ++k;
        if (k == steps.size())
            break;
        // A hunk: from context lines before the change to context lines after the last change
        // that follows within twice the context.
        const size_t first = k >= size_t(context) ? k - size_t(context) : 0;
        size_t last = k;
        for (size_t s = k; s < steps.size(); ++s) {
            if (steps[s].kind != Kind::Keep)
                last = s;
            else if (s - last > size_t(2 * context))
                break;
        }
        const size_t end = std::min(steps.size(), last + 1 + size_t(context));
        int oldCount = 0;
        int newCount = 0;
        for (size_t s = first; s < end; ++s) {
            oldCount += steps[s].kind != Kind::Add;
            newCount += steps[s].kind != Kind::Remove;
        }
        out += QStringLiteral("@@ -%1 +%2 @@\n")
                   .arg(range(steps[first].a, oldCount), range(steps[first].b, newCount));
        for (size_t s = first; s < end; ++s) {
            const Step &step = steps[s];
            static constexpr char16_t kMarks[] = {u' ', u'-', u'+'};
            out += QChar(kMarks[int(step.kind)]);
            out += step.kind == Kind::Add ? b.lines[size_t(step.b)] : a.lines[size_t(step.a)];
            out += QLatin1Char('\n');
            if ((step.kind != Kind::Add && noEnd(a, step.a)) ||
                (step.kind != Kind::Remove && noEnd(b, step.b)))
                out += QStringLiteral("\\ Kein Zeilenende am Dateiende\n");
        }
        k = end;
    }
    return out;
}

} // namespace filediff
