#pragma once
// How close two tag strings are, the neighbour list built on it, and the
// search view's tag filters.

#include <QString>

#include <utility>
#include <vector>

class TRecordStructList;

// Score of tag string `b` against the reference `a` (not symmetric): three
// points for each tag of `a` that `b` has, one point off for each tag of `a`
// that `b` lacks and for each tag of `b` that `a` lacks.  Every occurrence of
// a tag counts.  -1 when either string is empty.
qint32 TagSimilarity(const QString& a, const QString& b);
// The same with a non-empty a's tags already split (SplitTags), for scoring
// one tag text against many.
qint32 TagSimilarity(const QStringList& tagsA, const QString& b);

// Scores every record of the database against `tags` and returns the
// (score, index) pairs with a score of 0 or more, best first; equal scores in
// database order.  EDatabaseError at the first malformed line.
std::vector<std::pair<qint32, int>> NeighbourRecords(TRecordStructList& database,
                                                     const QString& tags);

// One tag filter of the search view: passes when it is off, or when the
// filter text (blanks around it removed) is one of the tags of `tags`.
bool PassesTagFilter(const QString& tags, bool enabled, const QString& filter);
// Both filters together.
bool PassesTagFilters(const QString& tags, bool enabled1, const QString& filter1, bool enabled2,
                      const QString& filter2);
