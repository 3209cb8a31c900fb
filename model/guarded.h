#pragma once

#include "paginetteerror.h"
#include "services.h"

#include <exception>

// Runs the body of an input handler. An error it raises abandons the rest of
// the handler and goes to the program's error display; it never unwinds into
// Qt's event dispatch.
template <typename Body> void guarded(Body &&body) noexcept
{
    try {
        body();
    } catch (const PaginetteError &error) {
        showError(error.message());
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
}
