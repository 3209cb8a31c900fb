#pragma once

#include <QApplication>

#include <functional>

// The application object: every exception that escapes an event handler is
// caught here, shown, and the program goes on.
class Application : public QApplication
{
    Q_OBJECT

public:
    using ErrorDisplay = std::function<void(const QString &text)>;

    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Tests capture the text instead of a modal box.
    void setErrorDisplay(ErrorDisplay display);
    void showError(const QString &text) const;

private:
    ErrorDisplay m_errorDisplay;
};

// The message box the program shows for an error: caption "Paginette", stop
// icon, OK.
void showErrorBox(const QString &text);

// Installs the beep, message box and layout services the model calls.
void installServices();
