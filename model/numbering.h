#pragma once

#include "documentstate.h"

#include <QString>

#include <cstdint>

std::int32_t valueOnPage(const mainStruct2 &object, std::int32_t page);
// Forms the fixed-width text of `valueText`; stores the leading-zero count in
// `zeros` when given. An empty result (and a beep) when digits is 0.
QString formatNumber(const QString &valueText, std::int16_t digits,
                     std::int16_t *zeros = nullptr);
// The text of a number value: decimal, or upper-case hexadecimal when the
// object's format is 1. `asUnsigned` selects the unsigned reading of the value.
QString numberValueText(const mainStruct2 &object, std::int32_t value, bool asUnsigned);
void formatPage(DocumentState &doc, std::int32_t page);
void propagateLinks(DocumentState &doc);
void parseStart(DocumentState &doc, int index, const QString &entry, std::int16_t format);
QString endText(DocumentState &doc, int index);
