#include "data/boundedxml.h"

BoundedXml::BoundedXml(std::unique_ptr<QIODevice> device, const QString &part, int depthLimit)
    : m_device(std::move(device)), m_part(part), m_xml(m_device.get()), m_depthLimit(depthLimit)
{
}

QXmlStreamReader::TokenType BoundedXml::readNext()
{
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
