#include "records/cx_similarity.h"

#include "records/cx_database.h"
#include "records/cx_records.h"

#include <algorithm>

namespace {

// How many tags of `tags` are members of `other`.
int CountMembers(const QStringList& tags, const QStringList& other) {
    int n = 0;
    for (const QString& t : tags)
        for (const QString& o : other)
            if (t.compare(o, Qt::CaseInsensitive) == 0) {
                ++n;
                break;
            }
    return n;
}

} // namespace

qint32 TagSimilarity(const QString& a, const QString& b) {
    if (a.isEmpty())
        return -1;
    return TagSimilarity(SplitTags(a), b);
}

qint32 TagSimilarity(const QStringList& tagsA, const QString& b) {
    if (b.isEmpty())
        return -1;
    const QStringList tagsB = SplitTags(b);
    const qint32 nA = static_cast<qint32>(tagsA.size());
    const qint32 nB = static_cast<qint32>(tagsB.size());
    const qint32 mA = CountMembers(tagsA, tagsB);
    const qint32 mB = CountMembers(tagsB, tagsA);
    return 3 * mA - (nA - mA) - (nB - mB);
}

std::vector<std::pair<qint32, int>> NeighbourRecords(TRecordStructList& database,
                                                     const QString& tags) {
    database.ComputeScores(tags);
    std::vector<std::pair<qint32, int>> result;
    for (int i = 0; i < database.Count(); ++i) {
        const qint32 score = database.GetRecord(i)->Score;
        if (score >= 0)
            result.emplace_back(score, i);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const auto& x, const auto& y) { return x.first > y.first; });
    return result;
}

bool PassesTagFilter(const QString& tags, bool enabled, const QString& filter) {
    return !enabled || ContainsTag(TrimBlanks(filter), tags);
}

bool PassesTagFilters(const QString& tags, bool enabled1, const QString& filter1, bool enabled2,
                      const QString& filter2) {
    return PassesTagFilter(tags, enabled1, filter1) && PassesTagFilter(tags, enabled2, filter2);
}
