#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal windows a command opens, one step per window, from a
// timer inside their event loops. A window that comes when no step expects
// it is closed and counted, so no test can hang on a modal window.
class ModalScript : public QObject
{
public:
    struct Step
    {
        QByteArray className;
        std::function<void(QWidget *)> answer;
    };

    ModalScript() { connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll); }

    ModalScript &expect(const QByteArray &className, std::function<void(QWidget *)> answer)
    {
        m_steps.append({className, std::move(answer)});
        return *this;
    }

    // A file dialog answered with a path typed into its name box.
    ModalScript &typePath(const QString &path)
    {
        return expect("QFileDialog", [path](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            // QFileDialog's own accept() checks the typed name.
            static_cast<QDialog *>(dialog)->accept();
        });
    }

    ModalScript &cancel(const QByteArray &className)
    {
        return expect(className, [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    }

    void start() { m_timer.start(10); }

    bool finished() const { return m_next == m_steps.size(); }
    int answered() const { return m_next; }
    int unexpected() const { return m_unexpected; }
    // What each modal window was, in the order they came.
    QList<QByteArray> seen;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_lastAnswered)
            return;
        seen.append(modal->metaObject()->className());
        if (m_next < m_steps.size() && modal->inherits(m_steps[m_next].className)) {
            m_lastAnswered = modal;
            const Step step = m_steps[m_next++];
            step.answer(modal);
            return;
        }
        ++m_unexpected;
        modal->close();
    }

    QTimer m_timer;
    QList<Step> m_steps;
    int m_next = 0;
    int m_unexpected = 0;
    QPointer<QWidget> m_lastAnswered;
};
