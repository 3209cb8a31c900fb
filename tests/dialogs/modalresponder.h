#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog from inside its event loop. The test checks
// answered() afterwards, so a dialog that never came fails it; a dialog the
// answer leaves open is hidden, which ends its loop, and is reported too.
class ModalResponder
{
public:
    explicit ModalResponder(std::function<void(QWidget *dialog)> answer)
        : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    bool answered() const { return m_answered; }
    bool leftOpen() const { return m_leftOpen; }

private:
    void poll()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        m_timer.stop();
        m_answered = true;
        m_answer(dialog);
        if (dialog->isVisible()) {
            m_leftOpen = true;
            dialog->hide();
        }
    }

    std::function<void(QWidget *)> m_answer;
    QTimer m_timer;
    bool m_answered = false;
    bool m_leftOpen = false;
};

// A key as the user types it: to the widget holding the dialog's focus.
inline void typeKey(QWidget *dialog, Qt::Key key)
{
    QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}
