#include "pictures/svgcontent.h"

#include "pictures/picturebounds.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// Qt SVG follows nesting on the stack.
constexpr int deepestNesting = 256;

bool isReference(const QXmlStreamAttribute &attribute)
{
    const QStringView name = attribute.qualifiedName();
    return name == u"href" || name.endsWith(u":href");
}

QStringView localName(QStringView qualifiedName)
{
    return qualifiedName.mid(qualifiedName.lastIndexOf(u':') + 1);
}

// Whether `reference` is a picture held in the file that decodes within
// bounds; Qt SVG decodes any format Qt reads, an SVG among them.
bool isHeldPicture(QStringView reference)
{
    if (!reference.startsWith(u"data:"))
        return false;
    const qsizetype data = reference.indexOf(u"base64,");
    return data >= 0 &&
           rasterExcess(QByteArray::fromBase64(reference.mid(data + 7).toLatin1())).isEmpty();
}

enum class Reference
{
    Kept,
    Dropped, // the attribute goes
    Outside, // the attribute goes: it names a file or an address
};

Reference referenceFate(QStringView element, QStringView reference)
{
    reference = reference.trimmed();
    // A link is for a viewer to follow, never loaded.
    if (reference.startsWith(u'#') || element == u"a")
        return Reference::Kept;
    if (element == u"image" && reference.startsWith(u"data:"))
        return isHeldPicture(reference) ? Reference::Kept : Reference::Dropped;
    return Reference::Outside;
}

} // namespace

Outcome<SvgContent> svgContent(const QByteArray &bytes)
{
    const auto refused = [](const QString &reason) {
        return Outcome<SvgContent>::failed(reason);
    };
    SvgContent content;
    QByteArray rewritten;
    QXmlStreamWriter writer(&rewritten);
    QXmlStreamReader reader(bytes);
    // Names as written, prefixes and namespace declarations among the
    // attributes: what is kept goes back as it came.
    reader.setNamespaceProcessing(false);
    bool changed = false;
    int depth = 0;
    int skipped = 0; // the depth within an element left out
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (++depth > deepestNesting)
                return refused(
                    QStringLiteral("nests its elements more than %1 deep").arg(deepestNesting));
            if (skipped > 0) {
                ++skipped;
                break;
            }
            const QStringView element = localName(reader.qualifiedName());
            QXmlStreamAttributes kept;
            bool drawable = true;
            for (const QXmlStreamAttribute &attribute : reader.attributes()) {
                const Reference fate = isReference(attribute)
                                           ? referenceFate(element, attribute.value())
                                           : Reference::Kept;
                if (fate == Reference::Outside)
                    ++content.externalReferences;
                if (fate != Reference::Kept) {
                    changed = true;
                    drawable = element != u"image" && element != u"use";
                } else {
                    kept.append(attribute);
                }
            }
            // A picture or a copy whose reference is gone draws nothing.
            if (!drawable) {
                skipped = 1;
                break;
            }
            writer.writeStartElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute &attribute : kept)
                writer.writeAttribute(attribute.qualifiedName().toString(),
                                      attribute.value().toString());
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            if (skipped > 0)
                --skipped;
            else
                writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (skipped > 0)
                break;
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        default:
            // The document's declarations, comments and processing
            // instructions draw nothing.
            break;
        }
    }
    if (reader.hasError())
        return refused(unreadablePicture());
    content.bytes = changed ? rewritten : bytes;
    return content;
}
