#pragma once

#include <QString>

// A job's id as every log keys it: a UUID in lower case without braces,
// however a file wrote it, so that a copy whose id reads {8F0C...} is the
// same job as one that reads 8f0c...; a text that is no UUID stays as it is.
QString jobId(const QString &id);
