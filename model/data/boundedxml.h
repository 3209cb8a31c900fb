#pragma once

#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <functional>
#include <memory>

// A part of a workbook read as XML within bounds: nesting deeper than a
// limit is an error, found as the elements open, before the reader's stack
// holds them; so is a document type declaration, which no workbook part has
// and whose entities are the way for a small part to expand. Nothing outside
// the part is read: entities are never fetched.
class BoundedXml
{
public:
    // Reads the part named `part` from `device`, which it keeps; a reading
    // `stillWanted` says no more of ends with an error.
    BoundedXml(std::unique_ptr<QIODevice> device, const QString &part, int depthLimit,
               std::function<bool()> stillWanted = {});

    const QString &part() const { return m_part; }

    // The next token, the depth kept.
    QXmlStreamReader::TokenType readNext();
    // The next element inside the current one; false at the current one's
    // end, the document's, or an error.
    bool readNextStartElement();
    // Reads to the end of the current element.
    void skipCurrentElement();
    // The text inside the current element, its children's included, read to
    // its end.
    QString readText();

    QStringView name() const { return m_xml.name(); }
    QXmlStreamAttributes attributes() const { return m_xml.attributes(); }
    QStringView text() const { return m_xml.text(); }
    bool isStartElement() const { return m_xml.isStartElement(); }
    bool hasError() const { return m_xml.hasError(); }
    // "line 3: ..." of the error.
    QString errorText() const;

private:
    std::unique_ptr<QIODevice> m_device;
    QString m_part;
    QXmlStreamReader m_xml;
    int m_depth = 0;
    int m_depthLimit;
    std::function<bool()> m_stillWanted;
    unsigned m_tokens = 0;
};
