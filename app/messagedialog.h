#pragma once

#include <QString>

#include <cstdint>

class TForm3;

// Asks a question in the message dialog under `caption`: 1 for OK, 2 for
// Cancel (also the close box), 5 for No.
int showMessageDialog(const QString &caption, const QString &label, const QString &line1,
                      const QString &line2, std::int16_t showCancel, std::int16_t showNo);

// The dialog instance showMessageDialog uses, set by start-up.
void setMessageDialog(TForm3 *dialog);
