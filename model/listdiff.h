#pragma once

#include <QList>

#include <algorithm>
#include <iterator>

// What changed between two versions of a list, holding only the entries that
// differ. Lists of the same length keep each changed entry with its index;
// lists of different lengths keep the one stretch between their common start
// and their common end.
template <typename T> class ListDiff
{
public:
    static ListDiff between(const QList<T> &before, const QList<T> &after)
    {
        ListDiff diff;
        if (before.size() == after.size()) {
            for (qsizetype i = 0; i < before.size(); ++i) {
                if (!(before[i] == after[i]))
                    diff.m_entries.append({i, before[i], after[i]});
            }
            return diff;
        }
        const qsizetype shorter = std::min(before.size(), after.size());
        qsizetype head = 0;
        while (head < shorter && before[head] == after[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        diff.m_resized = true;
        diff.m_at = head;
        diff.m_removed = before.mid(head, before.size() - head - tail);
        diff.m_inserted = after.mid(head, after.size() - head - tail);
        return diff;
    }

    bool isEmpty() const { return !m_resized && m_entries.isEmpty(); }

    void undo(QList<T> &list) const
    {
        if (m_resized) {
            splice(list, m_inserted.size(), m_removed);
            return;
        }
        for (const Entry &entry : m_entries)
            list[entry.index] = entry.before;
    }

    void redo(QList<T> &list) const
    {
        if (m_resized) {
            splice(list, m_removed.size(), m_inserted);
            return;
        }
        for (const Entry &entry : m_entries)
            list[entry.index] = entry.after;
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
        return m_resized ? m_removed.size() + m_inserted.size() : 2 * m_entries.size();
    }

private:
    struct Entry
    {
        qsizetype index;
        T before;
        T after;
    };

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
