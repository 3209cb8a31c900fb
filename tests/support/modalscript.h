#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal windows a command opens, one step per window, from a
// timer inside their event loops. A window that comes when no step expects
// it, or that its answer leaves open, is closed and reported, so no test can
// hang on a modal window.
class ModalScript : public QObject
{
public:
    ModalScript() { connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll); }

    // `className` is matched with QObject::inherits, so "QDialog" takes any dialog.
    ModalScript &expect(const QByteArray &className, std::function<void(QWidget *)> answer)
    {
        m_steps.append({className, std::move(answer)});
        return *this;
    }

    // A file dialog answered with a path typed into its name box.
    ModalScript &typePath(const QString &path)
    {
        return expect("QFileDialog", [path](QWidget *modal) {
            modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            // QFileDialog's own accept() checks the typed name.
            static_cast<QDialog *>(qobject_cast<QFileDialog *>(modal))->accept();
        });
    }

    ModalScript &cancel(const QByteArray &className)
    {
        return expect(className, [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    }

    // Runs `command` while the script answers; returns what went amiss: the
    // windows no step expected, those left open, and the steps whose window
    // never came.
    QStringList run(const std::function<void()> &command)
    {
        m_timer.start(10);
        command();
        m_timer.stop();
        QStringList problems = m_problems;
        for (qsizetype i = m_next; i < m_steps.size(); ++i)
            problems.append(QStringLiteral("no ") + QString::fromLatin1(m_steps[i].className));
        return problems;
    }

private:
    struct Step
    {
        QByteArray className;
        std::function<void(QWidget *)> answer;
    };

    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        const QString name = QString::fromLatin1(modal->metaObject()->className());
        if (m_next < m_steps.size() && modal->inherits(m_steps[m_next].className)) {
            const Step step = m_steps[m_next++];
            step.answer(modal);
            if (modal->isVisible()) {
                m_problems.append(name + QStringLiteral(" left open"));
                modal->hide();
            }
            return;
        }
        m_problems.append(QStringLiteral("unexpected ") + name);
        modal->close();
    }

    QTimer m_timer;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    QStringList m_problems;
};

// A key as the user types it: to the widget holding the window's focus.
inline void typeKey(QWidget *window, Qt::Key key)
{
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key);
}

// Replaces an edit's text as the user does: select all, then type.
inline void retype(QLineEdit *edit, const QString &text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}
