#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The About box: the version and the system over a picture. Help > About
// shows it until a mouse press on it, Escape, Enter or Space closes it; as
// the program's splash it goes by itself after two seconds, or at the first
// key or click anywhere in the program.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // Shows the box as the splash, over the program, which stays usable.
    void showAsSplash();
    // The About box, modal: a splash still up becomes the About box.
    int exec() override;

    QLabel *picture = nullptr;
    QLabel *versionLabel = nullptr;
    QLabel *systemsLabel = nullptr;
    // Closes the splash; idle while the box is the About box.
    QTimer *splashTimer = nullptr;

public Q_SLOTS:
    void dismiss();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void endSplash();

    bool m_splash = false;
};
