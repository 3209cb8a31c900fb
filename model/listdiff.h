#pragma once

#include <QList>

#include <algorithm>
#include <iterator>

// What changed between two versions of a list, holding only the entries that
// differ: entries changed in place, each with its index, and at most one
// stretch where entries were taken out or put in. Of the ways to describe a
// change of length (one stretch between the common start and the common
// end, or changes in place followed by a changed tail) the smaller is kept.
template <typename T> class ListDiff
{
public:
    static ListDiff between(const QList<T> &before, const QList<T> &after)
    {
        const qsizetype shorter = std::min(before.size(), after.size());
        ListDiff inPlace;
        for (qsizetype i = 0; i < shorter; ++i) {
            if (!(before[i] == after[i]))
                inPlace.m_entries.append({i, before[i], after[i]});
        }
        if (before.size() == after.size())
            return inPlace;
        inPlace.setStretch(before, after, shorter, 0);

        qsizetype head = 0;
        while (head < shorter && before[head] == after[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        ListDiff stretch;
        stretch.setStretch(before, after, head, tail);
        return stretch.heldEntries() < inPlace.heldEntries() ? stretch : inPlace;
    }

    bool isEmpty() const { return !m_resized && m_entries.isEmpty(); }

    void undo(QList<T> &list) const
    {
        if (m_resized)
            splice(list, m_inserted.size(), m_removed);
        for (const Entry &entry : m_entries)
            list[entry.index] = entry.before;
    }

    void redo(QList<T> &list) const
    {
        for (const Entry &entry : m_entries)
            list[entry.index] = entry.after;
        if (m_resized)
            splice(list, m_removed.size(), m_inserted);
    }

    // Folds in `later`, a change made right after this one, so that one undo
    // takes back both. Only changes that kept the length fold.
    bool absorb(const ListDiff &later)
    {
        if (m_resized || later.m_resized)
            return false;
        QList<Entry> merged;
        auto mine = m_entries.cbegin();
        auto theirs = later.m_entries.cbegin();
        while (mine != m_entries.cend() || theirs != later.m_entries.cend()) {
            if (theirs == later.m_entries.cend() ||
                (mine != m_entries.cend() && mine->index < theirs->index)) {
                merged.append(*mine++);
            } else if (mine == m_entries.cend() || theirs->index < mine->index) {
                merged.append(*theirs++);
            } else {
                // Changed twice: from the first change's start to the second's end.
                if (!(mine->before == theirs->after))
                    merged.append({mine->index, mine->before, theirs->after});
                ++mine;
                ++theirs;
            }
        }
        m_entries = merged;
        return true;
    }

    // How many entries it holds, before and after together.
    qsizetype heldEntries() const
    {
        return 2 * m_entries.size() + m_removed.size() + m_inserted.size();
    }

private:
    struct Entry
    {
        qsizetype index;
        T before;
        T after;
    };

    // Entries from `at` up to the last `tail` ones were taken out and put in.
    void setStretch(const QList<T> &before, const QList<T> &after, qsizetype at, qsizetype tail)
    {
        m_resized = true;
        m_at = at;
        m_removed = before.mid(at, before.size() - at - tail);
        m_inserted = after.mid(at, after.size() - at - tail);
    }

    void splice(QList<T> &list, qsizetype replacedCount, const QList<T> &replacement) const
    {
        list.remove(m_at, replacedCount);
        list.insert(m_at, replacement.size(), T{});
        std::copy(replacement.cbegin(), replacement.cend(), list.begin() + m_at);
    }

    QList<Entry> m_entries;
    bool m_resized = false;
    qsizetype m_at = 0;
    QList<T> m_removed;
    QList<T> m_inserted;
};
