#pragma once

#include "feedback.h"
#include "run/calibration.h"

#include <QString>

// The data files outside their documents' folders that the user let the
// program read, kept under [DataFilesRead] in the user's settings file: a
// document that came from elsewhere reads such a file only once the user,
// told its path, has said so, and is not asked again.
class DataFileConsent
{
public:
    explicit DataFileConsent(QString path = userSettingsPath());

    bool given(const QString &document, const QString &dataFile) const;
    // Keeps the consent; an error text when the file could not be written.
    QString give(const QString &document, const QString &dataFile) const;

private:
    QString m_path;
};

// Whether the document at `document` may read `dataFile`, outside its
// folder: kept consent, or the user's answer, which is kept. Where there is
// no one to ask, no.
bool askToReadDataOutside(const Feedback &feedback, const QString &document,
                          const QString &dataFile);
