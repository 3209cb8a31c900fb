#include "outputs/runoutput.h"

#include "outputs/pdffileoutput.h"
#include "outputs/pngpagesoutput.h"
#include "outputs/svgpagesoutput.h"

const QList<FileOutputKind> &fileOutputKinds()
{
    static const QList<FileOutputKind> kinds{
        {"pdf", ".pdf", QStringLiteral("PDF file (*.pdf)"), false,
         [](const OutputTarget &target,
            const FileOutputSettings &settings) -> std::unique_ptr<RunOutput> {
             return std::make_unique<PdfFileOutput>(target, settings.document);
         }},
        {"png", ".png", QStringLiteral("PNG pages (*.png)"), true,
         [](const OutputTarget &target,
            const FileOutputSettings &settings) -> std::unique_ptr<RunOutput> {
             return std::make_unique<PngPagesOutput>(target, settings.dotsPerInch,
                                                     settings.document);
         }},
        {"svg", ".svg", QStringLiteral("SVG pages (*.svg)"), false,
         [](const OutputTarget &target,
            const FileOutputSettings &settings) -> std::unique_ptr<RunOutput> {
             return std::make_unique<SvgPagesOutput>(target, settings.document);
         }},
    };
    return kinds;
}

const FileOutputKind &fileOutputKindFor(const QString &name)
{
    for (const FileOutputKind &kind : fileOutputKinds()) {
        if (name.endsWith(QLatin1String(kind.suffix), Qt::CaseInsensitive))
            return kind;
    }
    return fileOutputKinds().constFirst();
}

Outcome<std::unique_ptr<RunOutput>> fileOutput(const QString &name,
                                               const FileOutputSettings &settings)
{
    const OutputTarget target = resolveOutput(name, settings.document);
    if (target.kind == OutputKind::Document)
        return Outcome<std::unique_ptr<RunOutput>>::failed(target.refusal);
    return fileOutputKindFor(name).make(target, settings);
}
