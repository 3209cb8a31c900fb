#pragma once

#include <QString>

class QWidget;

// Where the program's windows were when it last ended, kept under
// [Windows] in the user's settings file, by each window's object name.
class WindowPlaces
{
public:
    explicit WindowPlaces(QString path);

    // Puts `window` where it was kept; false when no place was kept for it.
    bool restore(QWidget &window) const;
    // Keeps where `window` is now. A place is a convenience: one that cannot
    // be written is let go without a word.
    void keep(const QWidget &window) const;

private:
    QString key(const QWidget &window) const;

    QString m_path;
};
