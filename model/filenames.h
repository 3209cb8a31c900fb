#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QFile;

// A file's name is the bytes the system gives. Qt reads them as UTF-8 and
// turns each byte that is not into U+FFFD, after which the name reaches no
// file, or another one. A name read here keeps such a byte as a lone low
// surrogate, U+DC80 to U+DCFF, which no UTF-8 text decodes to, so that
// nativeFileName() gives the bytes back exactly. Such a name goes to the
// system through nativeFileName(), never through Qt's file classes, which
// would write it with '?'.

// The name of the bytes `bytes`, as a name from the command line or a folder.
QString fileNameFromNative(QByteArrayView bytes);
// The bytes `name` stands for.
QByteArray nativeFileName(QStringView name);
// Whether `name` holds bytes that are not UTF-8, which Qt's file classes
// cannot reach.
bool holdsNonUtf8(QStringView name);
// `name` as a person reads it: a byte that is not UTF-8 shows as U+FFFD.
QString shownFileName(QStringView name);
// `name` made absolute against the working folder, its bytes kept.
QString absoluteFileName(const QString &name);
// Opens `file` for reading on what `name` reaches; empty on success, else the
// system's words for why not. A folder is refused.
QString openForReading(QFile &file, const QString &name);
