#pragma once

#include <QString>

#include <cstring>

// The system's words for an error number; empty for 0.
inline QString systemError(int error)
{
    return error == 0 ? QString() : QString::fromLocal8Bit(std::strerror(error));
}
