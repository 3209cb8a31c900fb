#pragma once

#include "commandline.h"
#include "document.h"

#include <QString>

#include <functional>

// Lists, a line each through `line`, the products of the sheet database in
// `folder` whose names hold every word of `text`; files it cannot read are
// told through `message`. Returns exitPrinted, or exitFailed when there is
// no database.
int listSheets(const QString &text, const QString &folder,
               const std::function<void(const QString &)> &line,
               const std::function<void(const QString &)> &message);

// Gives `doc` the layout of the product --sheet names, in the order of the
// sheet it had, reading only the files of the database that mention it.
// Returns exitPrinted, or the exit status after telling why through
// `message`: no database, no such product.
int useSheet(const PrintRequest &request, Document &doc,
             const std::function<void(const QString &)> &message);
