#include "dialogs/aboutdialog.h"

#include "dialogstyle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSysInfo>
#include <QTimer>
#include <QVersionNumber>

#include <algorithm>
#include <cmath>

namespace {
constexpr QSize clientSize{402, 275};
constexpr QRect imageRect{-1, -1, 404, 277};
constexpr int footerTop = 198; // the light band that carries the version texts

const QColor ink{0x1c, 0x2b, 0x45};
const QColor paper{0xfb, 0xf6, 0xe9};
const QColor serialRed{0xc0, 0x26, 0x2d};

// Fine interlaced waves, as on printed tickets and banknotes.
void drawGuilloche(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int wave = 0; wave < 14; ++wave) {
        QPainterPath path;
        const qreal baseline = area.top() + 14 + wave * 13;
        const qreal phase = wave * 0.55;
        path.moveTo(area.left(), baseline);
        for (qreal x = area.left(); x <= area.right(); x += 3) {
            const qreal y = baseline + 6 * std::sin(x / 17.0 + phase) + 3 * std::sin(x / 7.0);
            path.lineTo(x, y);
        }
        painter.setPen(QPen(QColor(255, 255, 255, 16 + (wave % 3) * 6), 1));
        painter.drawPath(path);
    }
    painter.restore();
}

// One ticket: a body and a stub split by a perforation, with a serial number.
void drawTicket(QPainter &painter, const QPointF &centre, qreal angle, int serial)
{
    const QRectF body(-82, -36, 164, 72);
    const qreal perforation = 38; // x of the line between body and stub

    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.scale(0.82, 0.82);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath shape;
    shape.addRoundedRect(body, 6, 6);
    QPainterPath notches;
    notches.addEllipse(QPointF(perforation, body.top()), 6, 6);
    notches.addEllipse(QPointF(perforation, body.bottom()), 6, 6);
    shape = shape.subtracted(notches);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawPath(shape.translated(3, 4));
    painter.setBrush(paper);
    painter.drawPath(shape);

    painter.setPen(QPen(QColor(0xd8, 0xcf, 0xb8), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(body.adjusted(5, 5, -5, -5), 3, 3);
    painter.setPen(QPen(QColor(0x9a, 0x8f, 0x78), 1.2, Qt::DotLine));
    painter.drawLine(QPointF(perforation, body.top() + 7), QPointF(perforation, body.bottom() - 7));

    const QString number = QStringLiteral("%1").arg(serial, 6, 10, QLatin1Char('0'));
    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(8);
    label.setBold(true);
    label.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    painter.setFont(label);
    painter.setPen(ink);
    painter.drawText(QRectF(body.left() + 12, body.top() + 10, 100, 12),
                     QStringLiteral("SERIES A"));

    QFont serialFont(QStringLiteral("DejaVu Sans Mono"));
    serialFont.setPixelSize(21);
    serialFont.setBold(true);
    painter.setFont(serialFont);
    painter.setPen(serialRed);
    painter.drawText(QRectF(body.left() + 10, body.top() + 26, 112, 28),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("N\u00BA") + number);

    // The stub repeats the number, turned along its length.
    painter.save();
    painter.translate(perforation + 22, 0);
    painter.rotate(-90);
    QFont stubFont(QStringLiteral("DejaVu Sans Mono"));
    stubFont.setPixelSize(11);
    stubFont.setBold(true);
    painter.setFont(stubFont);
    painter.drawText(QRectF(-32, -8, 64, 16), Qt::AlignCenter, number);
    painter.restore();

    painter.restore();
}

// A run of small pages, each with its own number, across the footer.
void drawPageRun(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(9);
    painter.setFont(font);
    for (int page = 0; page < 6; ++page) {
        const QRectF sheet(22 + page * 44, footerTop + 18, 34, 44);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 28));
        painter.drawRect(sheet.translated(2, 2));
        painter.setBrush(Qt::white);
        painter.setPen(QPen(QColor(0xb9, 0xb2, 0xa2), 1));
        painter.drawRect(sheet);
        painter.setPen(QPen(QColor(0xd9, 0xd4, 0xc8), 1));
        for (int line = 0; line < 3; ++line)
            painter.drawLine(QPointF(sheet.left() + 6, sheet.top() + 8 + line * 5),
                             QPointF(sheet.right() - 6, sheet.top() + 8 + line * 5));
        painter.setPen(serialRed);
        painter.drawText(sheet.adjusted(0, 24, 0, -4), Qt::AlignCenter,
                         QStringLiteral("%1").arg(125 + page, 5, 10, QLatin1Char('0')));
    }
    painter.restore();
}

QPixmap aboutArtwork(const QSize &size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);

    QLinearGradient sky(0, 0, size.width(), footerTop);
    sky.setColorAt(0, QColor(0x16, 0x25, 0x44));
    sky.setColorAt(1, QColor(0x23, 0x5f, 0x86));
    painter.fillRect(QRect(0, 0, size.width(), footerTop), sky);
    drawGuilloche(painter, QRectF(0, 0, size.width(), footerTop));

    drawTicket(painter, QPointF(316, 46), 5, 125);
    drawTicket(painter, QPointF(310, 96), -2, 126);
    drawTicket(painter, QPointF(304, 146), -8, 127);

    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(36);
    title.setBold(true);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(title);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawText(QPointF(20, 108), QStringLiteral("Paginette"));
    painter.setPen(Qt::white);
    painter.drawText(QPointF(18, 106), QStringLiteral("Paginette"));

    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(11);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    painter.setFont(tagline);
    painter.setPen(QColor(0xbf, 0xd7, 0xea));
    painter.drawText(QPointF(21, 128), QStringLiteral("Serial numbers, page after page"));

    QLinearGradient band(0, footerTop, 0, size.height());
    band.setColorAt(0, QColor(0xf4, 0xef, 0xe2));
    band.setColorAt(1, QColor(0xe6, 0xdf, 0xcd));
    painter.fillRect(QRect(0, footerTop, size.width(), size.height() - footerTop), band);
    painter.fillRect(QRect(0, footerTop, size.width(), 3), serialRed);
    drawPageRun(painter);

    painter.setPen(QColor(0x80, 0x78, 0x66));
    painter.drawRect(QRect(0, 0, size.width() - 1, size.height() - 1));
    return pixmap;
}

// A text of the footer that ends at `right`, at least `width` wide.
QLabel *makeVersionText(QWidget *parent, const char *name, const QString &text, int right, int y,
                        int width)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    width = std::max(width, label->sizeHint().width());
    label->setGeometry(right - width, y, width, label->sizeHint().height());
    // A press on the text is a press on the picture beneath it.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

// The system the program runs on and the Qt it runs with: "Linux, Qt 6.4".
QString systemText()
{
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel[0].toUpper();
    const QVersionNumber qt = QVersionNumber::fromString(QLatin1String(qVersion()));
    return QStringLiteral("%1, Qt %2.%3").arg(kernel).arg(qt.majorVersion()).arg(qt.minorVersion());
}

constexpr int splashMilliseconds = 2000;
} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setModal(true);
    setFixedSize(clientSize);

    picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setGeometry(imageRect);
    picture->setPixmap(aboutArtwork(imageRect.size()));
    picture->installEventFilter(this);

    versionLabel = makeVersionText(this, "versionLabel", QStringLiteral("2.0 b5"), 394, 208, 34);
    systemsLabel = makeVersionText(this, "systemsLabel", systemText(), 394, 224, 90);

    splashTimer = new QTimer(this);
    splashTimer->setObjectName(QStringLiteral("splashTimer"));
    splashTimer->setSingleShot(true);
    splashTimer->setInterval(splashMilliseconds);
    connect(splashTimer, &QTimer::timeout, this, &AboutDialog::dismiss);
}

void AboutDialog::showAsSplash()
{
    setModal(false);
    m_splash = true;
    // Any key or click in the program ends the greeting, and goes on to
    // where it was meant.
    QCoreApplication::instance()->installEventFilter(this);
    splashTimer->start();
    show();
}

int AboutDialog::exec()
{
    // A window already up is not made modal: the splash goes first.
    if (m_splash) {
        endSplash();
        hide();
    }
    return QDialog::exec();
}

void AboutDialog::endSplash()
{
    splashTimer->stop();
    if (m_splash)
        QCoreApplication::instance()->removeEventFilter(this);
    m_splash = false;
}

void AboutDialog::dismiss()
{
    endSplash();
    accept();
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == picture && type == QEvent::MouseButtonPress) {
        dismiss();
        return true;
    }
    if (m_splash && (type == QEvent::KeyPress || type == QEvent::MouseButtonPress))
        dismiss();
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centerOnScreen(*this);
}

void AboutDialog::keyPressEvent(QKeyEvent *event)
{
    // The keys that close a dialog close it, as a press on it does; other
    // keys leave it up, but for the splash, which any key closes.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        dismiss();
        break;
    default:
        break;
    }
    event->accept();
}
