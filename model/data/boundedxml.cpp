#include "data/boundedxml.h"

#include "data/datalimits.h"

BoundedXml::BoundedXml(std::unique_ptr<QIODevice> device, const QString &part, int depthLimit,
                       std::function<bool()> stillWanted)
    : m_device(std::move(device)), m_part(part), m_xml(m_device.get()), m_depthLimit(depthLimit),
      m_stillWanted(std::move(stillWanted))
{
}

QXmlStreamReader::TokenType BoundedXml::readNext()
{
    // Asked seldom: a token costs far less than the question.
    constexpr unsigned tokensBetweenAsking = 4096;
    if (++m_tokens % tokensBetweenAsking == 0 && m_stillWanted && !m_stillWanted()) {
        m_xml.raiseError(DataLimits::stoppedText());
        return QXmlStreamReader::Invalid;
    }
    const QXmlStreamReader::TokenType token = m_xml.readNext();
    if (token == QXmlStreamReader::StartElement && ++m_depth > m_depthLimit)
        m_xml.raiseError(QStringLiteral("elements nested deeper than %1").arg(m_depthLimit));
    else if (token == QXmlStreamReader::EndElement)
        --m_depth;
    else if (token == QXmlStreamReader::DTD)
        m_xml.raiseError(QStringLiteral("a document type declaration"));
    return m_xml.hasError() ? QXmlStreamReader::Invalid : token;
}

bool BoundedXml::readNextStartElement()
{
    for (;;) {
        switch (readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
}

void BoundedXml::skipCurrentElement()
{
    const int depth = m_depth;
    while (m_depth >= depth && readNext() != QXmlStreamReader::Invalid) {
    }
}

QString BoundedXml::readText()
{
    QString text;
    const int depth = m_depth;
    while (m_depth >= depth) {
        const QXmlStreamReader::TokenType token = readNext();
        if (token == QXmlStreamReader::Invalid)
            break;
        if (token == QXmlStreamReader::Characters)
            text.append(m_xml.text());
    }
    return text;
}

QString BoundedXml::errorText() const
{
    return QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString());
}
