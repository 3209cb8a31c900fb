#pragma once

#include "outputs/pagefilesoutput.h"

#include <QImage>

// A run as PNG pictures, a file a face, at a resolution of its own.
class PngPagesOutput : public PageFilesOutput
{
public:
    PngPagesOutput(OutputTarget target, std::int32_t dotsPerInch,
                   std::optional<FileIdentity> document = {});

protected:
    QPaintDevice *startFace(const QString &path, QSizeF paper) override;
    QString finishFace() override;
    qreal deviceScale() const override;
    std::unique_ptr<RunOutput> madeFor(const OutputTarget &target) const override;

private:
    const std::int32_t m_dotsPerInch;
    QImage m_image;
    QString m_path;
};
