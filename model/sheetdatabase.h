#pragma once

#include "sheetlayout.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Where Debian's glabels-data package puts its database of label sheets.
inline constexpr QLatin1StringView installedSheetFolder("/usr/share/libglabels-3.0/templates");

// The label sheets makers sell, as the sheet database describes them: one
// layout per product, products that are the same as another (`equiv`)
// included, sorted by make and part.
class SheetDatabase
{
public:
    SheetDatabase() = default;

    // Reads every product file (*-templates.xml) of `folder`, with the paper
    // sizes of its paper-sizes.xml. A file or product that cannot be read is
    // left out, with one line in `skipped` saying which and why.
    static SheetDatabase read(const QString &folder, QStringList *skipped = nullptr);
    // The product named "MAKE PART" (any case) in the database of `folder`,
    // as read() and find() give it, reading only the files that mention its
    // part (and the part it is the same as): a run on one product need not
    // read them all. `installed` tells whether `folder` holds product files;
    // `skipped` the files read that could not be.
    static std::optional<SheetLayout> lookUp(const QString &folder, QStringView makeAndPart,
                                             bool *installed = nullptr,
                                             QStringList *skipped = nullptr);

    const QList<SheetLayout> &products() const { return m_products; }
    bool isEmpty() const { return m_products.isEmpty(); }
    // The product named "MAKE PART" (any case), if there is one.
    std::optional<SheetLayout> find(QStringView makeAndPart) const;
    // The products whose make, part and description hold every word of
    // `text` (any case): first those whose part is one of the words, then
    // the rest, each in the database's order; all of them for no words.
    QList<int> matching(QStringView text) const;

private:
    explicit SheetDatabase(QList<SheetLayout> products);

    QList<SheetLayout> m_products;
    QStringList m_searchTexts; // "make part description", lower case
};
