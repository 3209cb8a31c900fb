#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <iterator>

// A table's cells, row by row, in one buffer of text: a QString a cell would
// hold a data file's 100,000 rows in five times their text. A row repeated
// shares its cells; a row placed again takes new ones.
class CellRows
{
public:
    // One row of the table: as many cells as the table is wide once it has
    // a width, else as many as the row was given.
    class Row
    {
    public:
        Row() = default;

        // Whether it is a row of a table at all.
        explicit operator bool() const { return m_rows != nullptr; }
        qsizetype size() const;
        // The cell at `column`, empty past those the row was given.
        QStringView view(qsizetype column) const;
        QString operator[](qsizetype column) const { return view(column).toString(); }
        QStringList toList() const;

    private:
        friend class CellRows;
        Row(const CellRows *rows, qsizetype row) : m_rows(rows), m_row(row) {}

        const CellRows *m_rows = nullptr;
        qsizetype m_row = 0;
    };

    class Iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Row;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = Row;

        Iterator(const CellRows *rows, qsizetype row) : m_rows(rows), m_row(row) {}
        Row operator*() const { return (*m_rows)[m_row]; }
        Iterator &operator++()
        {
            ++m_row;
            return *this;
        }
        bool operator==(const Iterator &) const = default;

    private:
        const CellRows *m_rows;
        qsizetype m_row;
    };

    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    Row operator[](qsizetype row) const { return Row(this, row); }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }
    // The characters the cells hold, each kept once however often it shows.
    qsizetype characters() const { return m_text.size(); }

    // Adds a row of `cells`; `times` rows alike share them.
    void append(const QStringList &cells, qsizetype times = 1);
    // Gives the row at `row` the cells `cells`, adding empty rows up to it.
    void place(qsizetype row, const QStringList &cells);
    // Keeps the first `rows` rows, or adds empty rows up to that many.
    void resize(qsizetype rows);
    // Takes the first row out.
    QStringList takeFirst();
    // Every row as wide as `width`: its cells past that are left out.
    void setWidth(qsizetype width) { m_width = width; }
    // Room for `characters` of text before the buffer grows, where they
    // are known: a buffer grown step by step holds up to twice its text.
    void reserveCharacters(qsizetype characters) { m_text.reserve(characters); }
    // Lets go of the room not taken, once every row is in.
    void squeeze();

    QList<QStringList> toLists() const;

private:
    struct RowCells
    {
        std::uint32_t first = 0; // in m_ends
        std::uint32_t count = 0;
    };

    // Where each cell ends in m_text; a cell begins where the one before it
    // in m_ends ends, so that a cell costs four bytes beside its text.
    RowCells cellsOf(const QStringList &cells);

    QString m_text;
    QList<std::uint32_t> m_ends;
    QList<RowCells> m_rows;
    qsizetype m_width = -1; // -1: each row as wide as it was given
};
