#pragma once

#include "outputs/pagefilesoutput.h"

#include <QFile>
#include <QSvgGenerator>

#include <memory>

// A run as SVG pictures, a file a face: vectors, and each text as text.
class SvgPagesOutput : public PageFilesOutput
{
public:
    explicit SvgPagesOutput(OutputTarget target, std::optional<FileIdentity> document = {});

protected:
    QPaintDevice *startFace(const QString &path, QSizeF paper) override;
    QString finishFace() override;
    std::unique_ptr<RunOutput> madeFor(const OutputTarget &target) const override;

private:
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<QSvgGenerator> m_generator;
};
