#include "services.h"

Services &services()
{
    static Services instance;
    return instance;
}

void beep()
{
    if (services().beep)
        services().beep();
}

void showMessage(const QString &text, const QString &caption)
{
    if (services().showMessage)
        services().showMessage(text, caption);
}

void showError(const QString &text)
{
    if (services().showError)
        services().showError(text);
}

void runLayout(DocumentState &doc)
{
    if (services().layout)
        services().layout(doc);
}
